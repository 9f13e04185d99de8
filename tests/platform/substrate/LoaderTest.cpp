#include "platform/plist/PropertyList.h"
#include "platform/substrate/Loader.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>

namespace {

namespace fs = std::filesystem;

class Loader : public testing::Test {
 protected:
  void SetUp() override {
    directory_ = fs::temp_directory_path() / ("dynlibs-" + std::to_string(::getpid()));
    fs::create_directories(directory_);
  }
  void TearDown() override { fs::remove_all(directory_); }

  void install(const std::string& name) { fs::copy_file(LOAD_PROBE_LIBRARY, directory_ / (name + ".dylib")); }
  void filter(const std::string& name, const plist::Dictionary& contents) {
    ASSERT_TRUE(plist::writeDictionaryAtomically(contents, directory_ / (name + ".plist")));
  }
  static bool loaded(const std::string& name) { return std::getenv(("LOADED_" + name).c_str()) != nullptr; }

  fs::path directory_;
};

plist::Dictionary bundles(plist::Array names) { return {{"Filter", plist::Dictionary{{"Bundles", std::move(names)}}}}; }

TEST_F(Loader, LoadsInNameOrderOnlyWhatItsFilterAdmits) {
  install("Bravo");
  filter("Bravo", bundles({"com.apple.springboard"}));
  install("Alpha");
  filter("Alpha", bundles({"com.apple.Preferences", "com.apple.springboard"}));
  install("Charlie");
  filter("Charlie", bundles({"com.apple.Preferences"}));
  install("Delta");  // no filter
  install("Echo");
  {
    std::ofstream malformed(directory_ / "Echo.plist");
    malformed << "<plist><dict><key>Filter";
  }
  install("Foxtrot");
  filter("Foxtrot", {{"Filter", "com.apple.springboard"}});

  const auto results = substrate::loadDynamicLibraries(directory_, "com.apple.springboard");
  ASSERT_EQ(results.size(), 6u);
  EXPECT_EQ(results[0].library, "Alpha.dylib");
  EXPECT_TRUE(results[0].loaded);
  EXPECT_TRUE(results[1].loaded);
  EXPECT_EQ(results[2].reason, "filter names other bundles");
  EXPECT_EQ(results[3].reason, "no filter");
  EXPECT_EQ(results[4].reason, "malformed filter");
  EXPECT_EQ(results[5].reason, "malformed filter");
  EXPECT_TRUE(loaded("Alpha"));
  EXPECT_TRUE(loaded("Bravo"));
  EXPECT_FALSE(loaded("Charlie"));
  EXPECT_FALSE(loaded("Delta"));
  EXPECT_FALSE(loaded("Echo"));
  EXPECT_FALSE(loaded("Foxtrot"));
}

TEST_F(Loader, ReportsALibraryThatCannotBeLoaded) {
  {
    std::ofstream notALibrary(directory_ / "Broken.dylib");
    notALibrary << "not an ELF file";
  }
  filter("Broken", bundles({"com.apple.springboard"}));
  const auto results = substrate::loadDynamicLibraries(directory_, "com.apple.springboard");
  ASSERT_EQ(results.size(), 1u);
  EXPECT_FALSE(results[0].loaded);
  EXPECT_FALSE(results[0].reason.empty());
}

TEST_F(Loader, AMissingDirectoryLoadsNothing) {
  EXPECT_TRUE(substrate::loadDynamicLibraries(directory_ / "absent", "com.apple.springboard").empty());
}

}  // namespace
