#include "platform/core/DeviceRoot.h"
#include "platform/plist/PropertyList.h"

#include <gtest/gtest.h>

#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>

namespace fs = std::filesystem;

namespace {

class DeviceRoot : public testing::Test {
 protected:
  void SetUp() override {
    std::string pattern = testing::TempDir() + "device-XXXXXX";
    ASSERT_NE(mkdtemp(pattern.data()), nullptr);
    host_ = pattern;
  }
  void TearDown() override { fs::remove_all(host_); }
  fs::path host_;
};

TEST_F(DeviceRoot, ResolvesAbsoluteDevicePathsUnderTheRoot) {
  core::setRoot(host_ / "root" / "");  // a trailing slash is not part of the root
  const fs::path root = host_ / "root";
  EXPECT_EQ(core::root(), root);
  const std::pair<const char*, fs::path> cases[] = {
      {"/var/mobile/Library/Preferences/com.brel.tessaro.plist",
       root / "var/mobile/Library/Preferences/com.brel.tessaro.plist"},
      {"/Library/PreferenceBundles/Tessaro.bundle/Root.plist", root / "Library/PreferenceBundles/Tessaro.bundle/Root.plist"},
      {"//var///mobile/./x", root / "var/mobile/x"},
      {"/var/mobile/../mobile/x", root / "var/mobile/x"},
      {"/a/..", root},
      {"/", root},
  };
  for (const auto& [devicePath, expected] : cases) {
    EXPECT_EQ(core::resolve(devicePath), expected) << devicePath;
  }
}

TEST_F(DeviceRoot, RefusesPathsThatAreRelativeOrClimbOut) {
  core::setRoot(host_);
  using namespace std::string_view_literals;
  for (const std::string_view devicePath :
       std::initializer_list<std::string_view>{"/..", "/../etc/passwd", "/var/../../etc/passwd", "/var/mobile/../../../x", "var/mobile", "", "./x",
        "/var/\0x"sv}) {
    EXPECT_FALSE(core::resolve(devicePath)) << devicePath;
  }
}

TEST_F(DeviceRoot, CreatesParentsOnlyInsideTheRoot) {
  core::setRoot(host_ / "root");
  const auto file = core::resolve("/var/mobile/Library/Preferences/com.brel.tessaro.plist");
  ASSERT_TRUE(file);
  ASSERT_TRUE(core::ensureParentDirectories(*file));
  EXPECT_TRUE(fs::is_directory(file->parent_path()));

  // And the whole path a writer takes.
  ASSERT_TRUE(plist::writeDictionaryAtomically({{"enabled", true}}, *file));
  EXPECT_EQ(plist::readDictionary(*file), plist::Dictionary({{"enabled", true}}));

  EXPECT_FALSE(core::ensureParentDirectories(host_ / "root-sibling" / "a" / "file"));
  EXPECT_FALSE(core::ensureParentDirectories(host_ / "root" / ".." / "escaped" / "file"));
  EXPECT_FALSE(core::ensureParentDirectories(host_ / "root"));
  EXPECT_FALSE(core::ensureParentDirectories("relative/file"));
  EXPECT_FALSE(fs::exists(host_ / "root-sibling"));
  EXPECT_FALSE(fs::exists(host_ / "escaped"));
}

TEST_F(DeviceRoot, RefusesTheHostRoot) {
  EXPECT_DEATH(core::setRoot("/"), "host");
  EXPECT_DEATH(core::setRoot("/tmp/.."), "host");
}

int waitFor(pid_t pid) {
  int status = 0;
  waitpid(pid, &status, 0);
  return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

// The default root is made on first use, is private, and goes away when the process that
// made it exits, but not when a forked child of that process does.
TEST_F(DeviceRoot, DefaultRootIsPrivateAndRemovedByItsMakerAlone) {
  const pid_t maker = fork();
  if (maker == 0) {
    setenv("TMPDIR", host_.c_str(), 1);
    const fs::path root = core::root();
    if (core::root() != root || root.parent_path() != host_) _exit(10);
    if (fs::status(root).permissions() != fs::perms(0700)) _exit(11);
    fs::create_directories(root / "var" / "mobile");
    const pid_t child = fork();
    if (child == 0) std::exit(0);  // runs the exit handlers in a process that did not make the root
    if (waitFor(child) != 0 || !fs::exists(root / "var" / "mobile")) _exit(12);
    std::exit(0);
  }
  EXPECT_EQ(waitFor(maker), 0);
  EXPECT_TRUE(fs::is_empty(host_));
}

TEST_F(DeviceRoot, AChosenRootIsNeverRemoved) {
  const pid_t pid = fork();
  if (pid == 0) {
    core::setRoot(host_);
    std::exit(core::ensureParentDirectories(*core::resolve("/var/mobile/x")) ? 0 : 1);
  }
  EXPECT_EQ(waitFor(pid), 0);
  EXPECT_TRUE(fs::is_directory(host_ / "var" / "mobile"));
}

}  // namespace
