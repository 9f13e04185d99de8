// Real settings files: a file taken from a phone boots the device byte for byte, another
// process puts one in place, removes it, or makes it unreadable to the device.

#include "platform/core/DeviceRoot.h"
#include "platform/device/Device.h"
#include "tests/tools/ScenarioRun.h"

#include <gtest/gtest.h>

#include <unistd.h>

#include <fstream>

namespace {

using simtest::Ran;
using simtest::runText;

constexpr const char* kSettingsFile = "/var/mobile/Library/Preferences/com.brel.tessaro.plist";

class SettingsFile : public ::testing::Test {
 protected:
  void SetUp() override {
    directory_ = std::filesystem::temp_directory_path() / ("tessaro-settings-file-" + std::to_string(::getpid()));
    std::filesystem::create_directories(directory_);
  }
  void TearDown() override { std::filesystem::remove_all(directory_); }

  // A settings file as a phone's settings editor leaves it: binary.
  std::filesystem::path phoneFile(const std::string& name, const plist::Dictionary& settings) {
    const auto path = directory_ / name;
    EXPECT_TRUE(plist::writeDictionaryAtomically(settings, path, plist::Format::Binary));
    return path;
  }
  std::filesystem::path textFile(const std::string& name, const std::string& text) {
    const auto path = directory_ / name;
    std::ofstream(path, std::ios::binary) << text;
    return path;
  }
  static std::string bytesOf(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
  }
  static std::string deviceBytes() { return bytesOf(*core::resolve(kSettingsFile)); }

  Ran run(const std::string& text) { return runText(text, directory_); }

  std::filesystem::path directory_;
};

const plist::Dictionary kPhone = {{"isEnabled", true},
                                  {"isUpdateIntervalEnabled", true},
                                  {"updateIntervalSlider", 2},
                                  {"bgTessaroColor", "#2E9E6B"},
                                  // A key of the editor's own, of a kind the tweak does not read.
                                  {"lastEdited", plist::Date{7.5e8}}};

TEST_F(SettingsFile, APhonesFileBootsTheDeviceByteForByte) {
  const auto file = phoneFile("phone.plist", kPhone);
  const Ran ran = run("settings-file phone.plist\npress lock\nexpect sampling interval 0.1\n"
                      "expect setting lastEdited <date>2024-10-07T13:20:00Z</date>\n");
  ASSERT_EQ(ran.status, 0) << ran.errors << ran.timeline;
  EXPECT_EQ(deviceBytes(), bytesOf(file)) << "binary stays binary, bytes unchanged";
  EXPECT_NE(ran.timeline.find("settings file: " + file.string() + " as given ("), std::string::npos) << ran.timeline;
}

TEST_F(SettingsFile, SetLinesGoOnTopOfTheGivenFileAsTheEditorWould) {
  const auto file = phoneFile("phone.plist", kPhone);
  const Ran ran = run("settings-file phone.plist\nset updateIntervalSlider 0\nboot\n"
                      "expect setting updateIntervalSlider 0\nexpect setting bgTessaroColor \"#2E9E6B\"\n"
                      "expect setting lastEdited <date>2024-10-07T13:20:00Z</date>\n"
                      "press lock\nexpect sampling interval 0.025\n");
  ASSERT_EQ(ran.status, 0) << ran.errors << ran.timeline;
  EXPECT_NE(deviceBytes(), bytesOf(file)) << "rewritten whole";
}

TEST_F(SettingsFile, AGivenFileReplacesWhatTheLinesBeforeItMade) {
  const auto file = phoneFile("phone.plist", kPhone);
  const Ran ran = run("set wakeMode 2\nsettings-file phone.plist\nboot\nexpect setting wakeMode absent\n");
  EXPECT_EQ(ran.status, 0) << ran.errors;
  EXPECT_EQ(deviceBytes(), bytesOf(file));
}

// Another process puts the file in place and posts nothing: the tweak goes on with what it
// read until it is told (the settings reload has no other trigger).
TEST_F(SettingsFile, AFilePutInPlaceAfterBootIsReadOnlyWhenTheTweakIsTold) {
  phoneFile("faster.plist", {{"isEnabled", true}, {"isUpdateIntervalEnabled", true}, {"updateIntervalSlider", 0}});
  const Ran ran = run(
      "set isEnabled YES\nset isUpdateIntervalEnabled YES\nset updateIntervalSlider 2\nboot\n"
      "settings-file faster.plist\n"
      "expect setting updateIntervalSlider 0\n"
      "expect count notification.posted \"com.brel.tessaro.prefschanged\" == 0\n"
      "press lock\nexpect sampling interval 0.1\npress lock\nunlock\n"
      "post com.brel.tessaro.prefschanged\n"
      "press lock\nexpect sampling interval 0.025\n");
  EXPECT_EQ(ran.status, 0) << ran.errors << ran.timeline;
}

// A missing file gives every key its value when absent, and `prefs` none, so the
// switch's write-back writes nothing.
TEST_F(SettingsFile, ADeletedFileReadsAsEveryKeyMissingAndIsNotWrittenBack) {
  const Ran ran = run(
      "set isEnabled YES\nboot\n"
      "delete-settings\n"
      "expect count notification.posted == 0\n"
      "expect count file.remove == 1\n"
      "post com.brel.tessaro.prefschanged\n"
      "press lock\n"
      "expect sampling off\n"
      "post com.brel.tessaro.setEnabled\n"
      "expect count file.write \"/var/mobile/Library/Preferences/com.brel.tessaro.plist\" == 1\n"
      "delete-settings\n"
      "expect count file.remove \"/var/mobile/Library/Preferences/com.brel.tessaro.plist (there was none)\" == 1\n");
  EXPECT_EQ(ran.status, 0) << ran.errors << ran.timeline;
  EXPECT_FALSE(std::filesystem::exists(*core::resolve(kSettingsFile))) << "the tweak made no file";
}

TEST_F(SettingsFile, AnUnreadableFileReadsAsMissingToTheDeviceWhileItStays) {
  const Ran ran = run(
      "settings-unreadable on\nset isEnabled YES\nboot\n"
      "expect count file.read \"/var/mobile/Library/Preferences/com.brel.tessaro.plist (unreadable: not permitted)\" == 1\n"
      "press lock\nexpect sampling off\n"
      "expect setting isEnabled YES\n"
      "press lock\nunlock\n"
      "settings-unreadable off\n"
      "post com.brel.tessaro.prefschanged\n"
      "press lock\nexpect sampling on\n");
  EXPECT_EQ(ran.status, 0) << ran.errors << ran.timeline;
}

TEST_F(SettingsFile, AStylingFileIsGivenWholeTheSameWay) {
  phoneFile("corvel.plist", {{"isEnabled", true}, {"isColoredTogglesEnabled", true}, {"isRoundIconsEnabled", true}});
  const Ran ran = run("styling-file corvel.plist\nopen control-center\nexpect toggle tessaro radius 32\n"
                      "expect toggle tessaro background D78449\n"
                      "unstyle isRoundIconsEnabled\nclose control-center\nopen control-center\n"
                      "expect toggle tessaro radius 19\n");
  EXPECT_EQ(ran.status, 0) << ran.errors << ran.timeline;
}

TEST_F(SettingsFile, FilesThatCannotBeGivenAreRefusedAtTheirLine) {
  textFile("broken.plist", "<plist><dict><key>isEnabled</key>");
  std::filesystem::create_directories(directory_ / "folder.plist");
  auto errorOf = [&](const std::string& text) -> std::string {
    try {
      run(text);
    } catch (const sim::ScenarioError& error) {
      return error.what();
    }
    return "";
  };
  EXPECT_EQ(errorOf("boot\nsettings-file missing.plist\n").rfind("run.scenario:2: " + (directory_ / "missing.plist").string() +
                                                                  ": cannot read the settings file: No such file",
                                                              0),
            0u);
  EXPECT_NE(errorOf("styling-file folder.plist\n").find(":1: " + (directory_ / "folder.plist").string() +
                                                        ": is a directory, not a styling file"),
            std::string::npos);
  EXPECT_EQ(errorOf("settings-file /dev/zero\n").rfind("run.scenario:1: /dev/zero: not a regular file", 0), 0u);
  // A broken file is given as it is (the tweak reads it as none); changing a key in it is not.
  EXPECT_EQ(errorOf("settings-file broken.plist\nboot\n"), "");
  EXPECT_EQ(errorOf("settings-file broken.plist\nset isEnabled YES\n"),
            "run.scenario:2: " + (directory_ / "broken.plist").string() +
                " holds no property-list dictionary: no key can be changed in it");
  EXPECT_EQ(errorOf("settings-unreadable maybe\n").rfind("run.scenario:1: expected on or off", 0), 0u);
  EXPECT_EQ(errorOf("delete-settings now\n"), "run.scenario:1: usage: delete-settings");
  EXPECT_EQ(errorOf("settings-file\n"), "run.scenario:1: usage: settings-file FILE");
}

}  // namespace
