// Control Center as the host runs it: module bundles from disk, broken in each way, and
// presenting, tapping and dismissing. The deliverables are not loaded, except the module
// bundle where a bundle must load.

#include "platform/controlcenter/ControlCenter.h"
#include "platform/core/DeviceRoot.h"
#include "platform/device/Device.h"
#include "platform/objc/AutoreleasePool.h"
#include "platform/objc/Message.h"
#include "platform/substrate/CheckedHook.h"
#include "platform/foundation/Foundation.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <map>

namespace {

namespace fs = std::filesystem;
using namespace objc::literals;
using objc::send;

const fs::path kBuiltBundle = TESSARO_BUILT_MODULE_BUNDLE;

plist::Dictionary info(const std::string& identifier, const std::string& executable = "TessaroModule",
                       const std::string& principal = "TessaroModule") {
  return {{"CFBundleIdentifier", identifier}, {"CFBundleExecutable", executable}, {"NSPrincipalClass", principal}};
}

// A bundle in Control Center's bundles directory, with the built module's executable.
void bundle(const std::string& name, std::optional<plist::Dictionary> contents, bool withExecutable = true) {
  const fs::path directory = *core::resolve(std::string(controlcenter::kModuleBundles) + "/" + name);
  fs::create_directories(directory);
  if (contents) plist::writeDictionaryAtomically(*contents, directory / "Info.plist");
  if (withExecutable) fs::copy_file(kBuiltBundle / "TessaroModule", directory / "TessaroModule");
}

std::map<std::string, controlcenter::BundleResult> bootWith(const std::function<void()>& lay) {
  device::BootOptions options;
  options.loadTweak = false;
  options.loadModule = false;
  options.beforeLoad = lay;
  static std::unique_ptr<device::Device> device;
  device = std::make_unique<device::Device>(options);
  std::map<std::string, controlcenter::BundleResult> results;
  for (const auto& result : device->moduleBundles()) results[result.bundle] = result;
  return results;
}

TEST(ModuleBundles, EachBrokenBundleIsSkippedWithItsReasonAndTheGoodOneLoads) {
  auto results = bootWith([] {
    bundle("A-NoInfo.bundle", std::nullopt);
    bundle("B-Malformed.bundle", std::nullopt);
    std::ofstream(*core::resolve(std::string(controlcenter::kModuleBundles) + "/B-Malformed.bundle/Info.plist"))
        << "<plist><dict><key>CFBundleIdentifier</key>";
    bundle("C-NoIdentifier.bundle", plist::Dictionary{{"CFBundleExecutable", "TessaroModule"}, {"NSPrincipalClass", "X"}});
    bundle("D-NumberExecutable.bundle", plist::Dictionary{{"CFBundleIdentifier", "d"}, {"CFBundleExecutable", 3},
                                                          {"NSPrincipalClass", "TessaroModule"}});
    bundle("E-NoExecutable.bundle", info("e"), false);
    bundle("F-EscapingExecutable.bundle", info("f", "../A-NoInfo.bundle/TessaroModule"));
    bundle("G-NotALibrary.bundle", info("g", "Junk"));
    std::ofstream(*core::resolve(std::string(controlcenter::kModuleBundles) + "/G-NotALibrary.bundle/Junk")) << "junk";
    bundle("H-UnknownClass.bundle", info("h", "TessaroModule", "NoSuchModule"));
    bundle("I-NotAToggle.bundle", info("i", "TessaroModule", "NSString"));
    bundle("J-Good.bundle", info("com.example.good"));
    bundle("K-SameIdentifier.bundle", info("com.example.good"));
    bundle("L-HostsIdentifier.bundle", info("com.apple.control-center.DoNotDisturbModule"));
  });
  const std::map<std::string, std::string> reasons = {
      {"A-NoInfo.bundle", "no Info.plist"},
      {"B-Malformed.bundle", "Info.plist is not a readable property-list dictionary"},
      {"C-NoIdentifier.bundle", "Info.plist gives no CFBundleIdentifier string"},
      {"D-NumberExecutable.bundle", "Info.plist gives no CFBundleExecutable string"},
      {"E-NoExecutable.bundle", "executable TessaroModule is missing"},
      {"F-EscapingExecutable.bundle", "CFBundleExecutable \"../A-NoInfo.bundle/TessaroModule\" is not a file name"},
      {"H-UnknownClass.bundle", "principal class NoSuchModule is not defined by the executable"},
      {"I-NotAToggle.bundle", "principal class NSString is not a CCUIToggleModule"},
      {"K-SameIdentifier.bundle", "identifier com.example.good is taken"},
      {"L-HostsIdentifier.bundle", "identifier com.apple.control-center.DoNotDisturbModule is taken"},
  };
  ASSERT_EQ(results.size(), reasons.size() + 2);
  for (const auto& [name, reason] : reasons) {
    EXPECT_FALSE(results[name].loaded) << name;
    EXPECT_EQ(results[name].reason, reason) << name;
  }
  EXPECT_FALSE(results["G-NotALibrary.bundle"].loaded);
  EXPECT_EQ(results["G-NotALibrary.bundle"].reason.rfind("executable does not load: ", 0), 0u);
  EXPECT_TRUE(results["J-Good.bundle"].loaded) << results["J-Good.bundle"].reason;
  EXPECT_EQ(controlcenter::toggles(),
            (std::vector<std::string>{"com.apple.control-center.DoNotDisturbModule",
                                      "com.apple.control-center.OrientationLockModule", "com.example.good"}));
  id context = send<id()>(controlcenter::moduleFor("com.example.good"), "contentModuleContext"_sel);
  EXPECT_EQ(foundation::stringOf(send<id()>(context, "moduleIdentifier"_sel)), "com.example.good");
}

TEST(ModuleBundles, NoBundlesDirectoryLeavesTheHostsOwnToggles) {
  EXPECT_TRUE(bootWith([] {}).empty());
  EXPECT_EQ(controlcenter::toggles().size(), 2u);
}

int loads = 0;
void (*orig_viewDidLoad)(id, SEL) = nullptr;
void countingViewDidLoad(id self, SEL sel) {
  ++loads;
  orig_viewDidLoad(self, sel);
}

TEST(Presentation, LoadsEachToggleOnceAndRefreshesItEachTime) {
  bootWith([] {
    substrate::hookMessage(objc::getClass("CCUIToggleViewController"), "viewDidLoad"_sel, &countingViewDidLoad,
                           &orig_viewDidLoad);
  });
  objc::AutoreleasePool pool;
  auto& log = core::eventLog();
  EXPECT_FALSE(controlcenter::isPresented());
  ASSERT_TRUE(controlcenter::present());
  EXPECT_FALSE(controlcenter::present()) << "already open";
  EXPECT_EQ(loads, 2);
  EXPECT_EQ(log.count("host", "-[CCUIToggleViewController refreshState]"), 2u);
  ASSERT_TRUE(controlcenter::dismiss());
  EXPECT_FALSE(controlcenter::dismiss());
  ASSERT_TRUE(controlcenter::present());
  EXPECT_EQ(loads, 2) << "loaded once per controller";
  EXPECT_EQ(log.count("host", "-[CCUIToggleViewController refreshState]"), 4u);
  EXPECT_EQ(log.count("controlCenter", "presented"), 2u);
}

TEST(Presentation, ATapSwitchesTheToggleOnlyWhileControlCenterIsOpen) {
  bootWith([] {});
  objc::AutoreleasePool pool;
  const std::string dnd = "com.apple.control-center.DoNotDisturbModule";
  EXPECT_EQ(controlcenter::tap(dnd), controlcenter::Tap::NotPresented);
  EXPECT_EQ(controlcenter::tap("com.example.none"), controlcenter::Tap::NoSuchToggle);
  controlcenter::present();
  EXPECT_EQ(controlcenter::tap(dnd), controlcenter::Tap::Tapped);
  auto look = controlcenter::look(dnd);
  ASSERT_TRUE(look);
  EXPECT_TRUE(look->selected);
  id button = send<id()>(controlcenter::controllerFor(dnd), "buttonView"_sel);
  EXPECT_EQ(send<BOOL()>(button, "isSelected"_sel), YES) << "refreshed after the tap";
  controlcenter::tap(dnd);
  EXPECT_FALSE(controlcenter::look(dnd)->selected);
  EXPECT_EQ(core::eventLog().count("toggle", dnd + " tapped: on"), 1u);
}

}  // namespace
