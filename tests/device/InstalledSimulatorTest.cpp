// The simulator as a host package installs it: installed into a prefix of its own, it runs
// the default scenario and a replay from another directory while the build tree it came
// from is out of sight (hidden under an empty file system in a mount namespace of the
// run's own, as if moved away), and serves its page from the installation; and CPack's
// package of it declares the libraries it loads.

#include "tests/device/Tools.h"

#include <gtest/gtest.h>

#include <unistd.h>

namespace {

using namespace devicetest;

class Installed : public ::testing::Test {
 protected:
  void SetUp() override {
    directory_ = std::filesystem::temp_directory_path() / ("tessaro-install-test-" + std::to_string(::getpid()));
    std::filesystem::create_directories(directory_);
  }
  void TearDown() override { std::filesystem::remove_all(directory_); }
  std::filesystem::path directory_;
};

TEST_F(Installed, RunsFromAnyDirectoryWithTheBuildTreeGone) {
  const auto prefix = directory_ / "prefix";
  int status = 0;
  const std::string install =
      output(quoted(TESSARO_CMAKE) + " --install " + quoted(TESSARO_BUILD_DIR) + " --prefix " + quoted(prefix.string()) + " 2>&1", &status);
  ASSERT_EQ(status, 0) << install;
  ASSERT_TRUE(std::filesystem::exists(prefix / "bin/tessaro-sim"));

  std::string csv = "timestamp,gx,gy,gz,ux,uy,uz\n";
  for (int i = 0; i <= 400; ++i) csv += std::to_string(i * 0.01) + (i < 200 ? ",0,0,-1,0,0,0\n" : ",0,-0.85,-0.5,0,0,0\n");
  std::ofstream(directory_ / "lift.csv") << csv;
  // The repair run with the progress image the installation carries.
  std::ofstream(directory_ / "repair.scenario") << "set isEnabled YES\nprogress-image\nboot\npress lock\n"
                                                   "post com.brel.tessaro.fixButton\nat 5.5\n"
                                                   "expect count button \"lock (simulated)\" == 2\n";

  const std::string program = quoted((prefix / "bin/tessaro-sim").string());
  const std::string script = "mount -t tmpfs tmpfs " + quoted(TESSARO_BUILD_DIR) + " && cd " + quoted(directory_.string()) +
                             " && " + program + " --quiet && " + program + " replay lift.csv --quiet";
  const std::string run = output("unshare --mount sh -c " + quoted(script) + " 2>&1", &status);
  ASSERT_EQ(status, 0) << run;
  EXPECT_NE(run.find("library"), std::string::npos) << run;
  EXPECT_NE(run.find("1 motion wake"), std::string::npos) << run;
  EXPECT_EQ(run.find("not loaded"), std::string::npos) << run;
}

TEST_F(Installed, ServesItsPageWithTheBuildTreeGone) {
  const auto prefix = directory_ / "prefix";
  int status = 0;
  const std::string install =
      output(quoted(TESSARO_CMAKE) + " --install " + quoted(TESSARO_BUILD_DIR) + " --prefix " + quoted(prefix.string()) + " 2>&1", &status);
  ASSERT_EQ(status, 0) << install;
  std::ofstream(directory_ / "serve.sh")
      << "set -e\n"
         "mount -t tmpfs tmpfs " << quoted(TESSARO_BUILD_DIR) << "\n"
         "cd " << quoted(directory_.string()) << "\n"
      << quoted((prefix / "bin/tessaro-sim").string()) << " serve --port 0 > serve.out 2> serve.err &\n"
         "server=$!\n"
         "for i in $(seq 1 300); do grep -q '^serving ' serve.out && break; sleep 0.1; done\n"
         "url=$(sed -n 's/^serving //p' serve.out)\n"
         "python3 -c 'import sys, urllib.request; print(urllib.request.urlopen(sys.argv[1]).read().decode())' \"$url\"\n"
         "kill $server\n";
  const std::string page = output("unshare --mount sh " + quoted((directory_ / "serve.sh").string()) + " 2>&1", &status);
  ASSERT_EQ(status, 0) << page;
  EXPECT_NE(page.find("<title>Tessaro"), std::string::npos) << page;
}

TEST_F(Installed, TheHostPackageDeclaresTheLibrariesTheSimulatorLoads) {
  int status = 0;
  const std::string pack = output("cd " + quoted(directory_.string()) + " && cpack --config " +
                                      quoted(std::string(TESSARO_BUILD_DIR) + "/CPackConfig.cmake") + " -B " +
                                      quoted(directory_.string()) + " 2>&1",
                                  &status);
  ASSERT_EQ(status, 0) << pack;
  const auto package = directory_ / ("tessaro-sim_" TESSARO_VERSION "_amd64.deb");
  ASSERT_TRUE(std::filesystem::exists(package)) << pack;
  const std::string depends = output("dpkg-deb --field " + quoted(package.string()) + " Depends");
  for (const char* library : {"libc6", "libobjc4", "libplist", "libcairo2", "libpango", "libelf1", "fonts-inter", "gnuplot",
                              "libcpp-httplib", "libpng16"}) {
    EXPECT_NE(depends.find(library), std::string::npos) << library << " in " << depends;
  }
  const std::string contents = output("dpkg-deb --contents " + quoted(package.string()));
  for (const char* file : {"./usr/bin/tessaro-sim", "./usr/lib/tessaro/Tessaro.dylib", "./usr/lib/tessaro/libplatform_device.so",
                           "./usr/lib/tessaro/TessaroModule.bundle/TessaroModule", "./usr/share/tessaro/Progress@3x.png",
                           "./usr/share/tessaro/serve/index.html"}) {
    EXPECT_NE(contents.find(file), std::string::npos) << file;
  }
}

}  // namespace
