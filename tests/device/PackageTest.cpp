// The phone's package as a package manager sees it: its control fields, exactly the
// files a jailbroken phone installs with their owner and modes, gzip members, and the
// property lists read back as the stand-in's loader and Control Center read them.

#include "platform/controlcenter/Classes.h"
#include "platform/plist/PropertyList.h"
#include "platform/substrate/Loader.h"
#include "tests/device/Tools.h"

#include <gtest/gtest.h>

#include <unistd.h>

namespace {

using namespace devicetest;

const std::string kPackage = TESSARO_DEVICE_PACKAGE;

std::map<std::string, std::string> controlFields() {
  std::map<std::string, std::string> fields;
  for (const std::string& line : lines(output("dpkg-deb --field " + quoted(kPackage)))) {
    const auto colon = line.find(':');
    if (colon != std::string::npos && line[0] != ' ') fields[line.substr(0, colon)] = trimmed(line.substr(colon + 1));
  }
  return fields;
}

TEST(PhonePackage, NamesItselfForThePhonesPackageManagers) {
  EXPECT_EQ(std::filesystem::path(kPackage).filename(), "com.brel.tessaro_" TESSARO_VERSION "_iphoneos-arm.deb");
  const auto fields = controlFields();
  EXPECT_EQ(fields.at("Package"), "com.brel.tessaro");
  EXPECT_EQ(fields.at("Name"), "Tessaro");
  EXPECT_EQ(fields.at("Version"), TESSARO_VERSION);
  EXPECT_EQ(fields.at("Architecture"), "iphoneos-arm");
  EXPECT_EQ(fields.at("Section"), "Tweaks");
  EXPECT_EQ(fields.at("Depends"), "mobilesubstrate, org.thebigboss.libcolorpicker, firmware (>= 11.0)");
  EXPECT_FALSE(fields.at("Description").empty());
  // gzip, which those package managers read.
  EXPECT_EQ(output("ar t " + quoted(kPackage)), "debian-binary\ncontrol.tar.gz\ndata.tar.gz\n");
}

TEST(PhonePackage, HoldsExactlyTheTweakItsFilterAndTheModuleBundleOwnedByRoot) {
  std::vector<std::string> entries;
  for (const std::string& line : lines(output("dpkg-deb --contents " + quoted(kPackage)))) {
    std::istringstream fields(line);
    std::string mode, owner, size, date, time, path;
    fields >> mode >> owner >> size >> date >> time >> path;
    entries.push_back(mode + " " + owner + " " + path);
  }
  const std::string bundle = "./Library/ControlCenter/Bundles/TessaroModule.bundle/";
  const std::vector<std::string> expected = {
      "drwxr-xr-x root/root ./",
      "drwxr-xr-x root/root ./Library/",
      "drwxr-xr-x root/root ./Library/ControlCenter/",
      "drwxr-xr-x root/root ./Library/ControlCenter/Bundles/",
      "drwxr-xr-x root/root " + bundle,
      "-rw-r--r-- root/root " + bundle + "Info.plist",
      "-rw-r--r-- root/root " + bundle + "OFF@2x.png",
      "-rw-r--r-- root/root " + bundle + "OFF@3x.png",
      "-rw-r--r-- root/root " + bundle + "ON@2x.png",
      "-rw-r--r-- root/root " + bundle + "ON@3x.png",
      "-rwxr-xr-x root/root " + bundle + "TessaroModule",
      "drwxr-xr-x root/root ./Library/MobileSubstrate/",
      "drwxr-xr-x root/root ./Library/MobileSubstrate/DynamicLibraries/",
      "-rwxr-xr-x root/root ./Library/MobileSubstrate/DynamicLibraries/Tessaro.dylib",
      "-rw-r--r-- root/root ./Library/MobileSubstrate/DynamicLibraries/Tessaro.plist",
  };
  std::sort(entries.begin(), entries.end());
  std::vector<std::string> sorted = expected;
  std::sort(sorted.begin(), sorted.end());
  EXPECT_EQ(entries, sorted);
}

class Unpacked : public ::testing::Test {
 protected:
  void SetUp() override {
    root_ = std::filesystem::temp_directory_path() / ("tessaro-package-test-" + std::to_string(::getpid()));
    std::filesystem::create_directories(root_);
    int status = 0;
    output("dpkg-deb -x " + quoted(kPackage) + " " + quoted(root_.string()), &status);
    ASSERT_EQ(status, 0);
  }
  void TearDown() override { std::filesystem::remove_all(root_); }
  std::filesystem::path root_;
};

TEST_F(Unpacked, TheFilterAdmitsSpringBoardAsTheLoaderReadsIt) {
  EXPECT_EQ(substrate::filterVerdict(root_ / "Library/MobileSubstrate/DynamicLibraries/Tessaro.plist",
                                     "com.apple.springboard"),
            "");
  EXPECT_EQ(substrate::filterVerdict(root_ / "Library/MobileSubstrate/DynamicLibraries/Tessaro.plist",
                                     "com.apple.Preferences"),
            "filter names other bundles");
}

TEST_F(Unpacked, TheBundlesInfoNamesTheModuleAsControlCenterReadsIt) {
  const auto infoPath = root_ / "Library/ControlCenter/Bundles/TessaroModule.bundle/Info.plist";
  const controlcenter::detail::BundleInfo info = controlcenter::detail::readBundleInfo(infoPath);
  EXPECT_EQ(info.reason, "");
  EXPECT_EQ(info.identifier, "com.brel.control-center.tessaromodule");
  EXPECT_EQ(info.executable, "TessaroModule");
  EXPECT_EQ(info.principalClass, "TessaroModule");
  const auto plist = plist::readDictionary(infoPath);
  ASSERT_TRUE(plist);
  auto text = [&](const char* key) {
    const auto found = plist->find(key);
    const std::string* value = found == plist->end() ? nullptr : found->second.asString();
    return value ? *value : std::string("(missing)");
  };
  EXPECT_EQ(text("CFBundlePackageType"), "BNDL");
  EXPECT_EQ(text("MinimumOSVersion"), "11.0");
  EXPECT_EQ(text("CFBundleVersion"), TESSARO_VERSION);
  const auto platforms = plist->find("CFBundleSupportedPlatforms");
  ASSERT_NE(platforms, plist->end());
  ASSERT_NE(platforms->second.asArray(), nullptr);
  ASSERT_EQ(platforms->second.asArray()->size(), 1u);
  EXPECT_EQ(*platforms->second.asArray()->front().asString(), "iPhoneOS");
}

TEST_F(Unpacked, TheExecutablesAreThePhoneBuildsOwn) {
  EXPECT_EQ(output("cmp " + quoted(TESSARO_DEVICE_TWEAK) + " " +
                   quoted((root_ / "Library/MobileSubstrate/DynamicLibraries/Tessaro.dylib").string()) + " && echo same"),
            "same\n");
  EXPECT_EQ(output("cmp " + quoted(TESSARO_DEVICE_MODULE) + " " +
                   quoted((root_ / "Library/ControlCenter/Bundles/TessaroModule.bundle/TessaroModule").string()) +
                   " && echo same"),
            "same\n");
}

}  // namespace
