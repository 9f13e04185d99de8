#include "platform/core/DeviceRoot.h"
#include "tests/tweak/TweakTest.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <limits>
#include <string>
#include <vector>

namespace {

std::vector<std::string> definedDynamicSymbols(const std::filesystem::path& library) {
  std::vector<std::string> symbols;
  const std::string command = "nm -D --defined-only --format=posix '" + library.string() + "'";
  FILE* pipe = popen(command.c_str(), "r");
  if (pipe == nullptr) return symbols;
  char line[512];
  while (std::fgets(line, sizeof line, pipe)) {
    std::string text(line);
    symbols.push_back(text.substr(0, text.find(' ')));
  }
  pclose(pipe);
  return symbols;
}

// refreshPrefs alone: a writable exported global would be an interface anyone in
// SpringBoard could write. Tools read the motion state from the symbol table instead.
TEST(Library, ExportsRefreshPrefsOnly) {
  EXPECT_EQ(definedDynamicSymbols(device::Device::builtTweakLibrary()), (std::vector<std::string>{"refreshPrefs"}));
}

TEST(Startup, RegistersTheFourObserversInOrderThenLoadsSettingsBeforeAnyHook) {
  std::vector<std::string> order;
  core::eventLog().setListener([&](const core::Event& event) {
    if (event.kind == "notification.observer") order.push_back(event.text);
    if (event.kind == "hook" && order.size() == 4) order.push_back("first hook");
  });
  auto booted = tweaktest::boot(plist::Dictionary{{"isEnabled", true}, {"wakeMode", 2}});
  EXPECT_EQ(order, (std::vector<std::string>{"com.brel.tessaro.prefschanged", "com.brel.tessaro.setEnabled",
                                             "com.brel.tessaro.setDisabled", "com.brel.tessaro.fixButton",
                                             "first hook"}));
  // Before the run loop has turned once, the settings are the file's.
  EXPECT_EQ(*booted.tweak->isEnabled, YES);
  EXPECT_EQ(*booted.tweak->wakeMode, 2);
}

TEST(Startup, TheLibraryIsLoadedBecauseItsFilterNamesSpringBoard) {
  auto booted = tweaktest::boot(std::nullopt);
  ASSERT_EQ(booted.device->loadedLibraries().size(), 1u);
  EXPECT_TRUE(booted.device->loadedLibraries()[0].loaded);
  EXPECT_NE(booted.tweak, nullptr);
}

TEST(SwitchingNotifications, SetDisabledKeepsEveryOtherKeyAndTheGlobalFollowsOnALaterTurn) {
  auto booted = tweaktest::boot(plist::Dictionary{{"isEnabled", true}, {"wakeMode", 1}, {"bgTessaroColor", "#112233"}});
  bool globalAtWrite = false;
  core::eventLog().setListener([&](const core::Event& event) {
    if (event.kind == "file.write") globalAtWrite = *booted.tweak->isEnabled;
  });
  booted.device->postNotification("com.brel.tessaro.setDisabled");
  EXPECT_EQ(*booted.tweak->isEnabled, YES) << "delivered inside the poster's call";
  booted.device->runUntilIdle();
  EXPECT_TRUE(globalAtWrite) << "the handler changed the global itself";
  EXPECT_EQ(*booted.tweak->isEnabled, NO);
  auto file = booted.device->readSettings();
  ASSERT_TRUE(file);
  EXPECT_EQ(*file, (plist::Dictionary{{"isEnabled", false}, {"wakeMode", 1}, {"bgTessaroColor", "#112233"}}));
}

TEST(SwitchingNotifications, KeepAKeyAnotherProcessWroteWithoutTellingTheTweak) {
  auto booted = tweaktest::boot(plist::Dictionary{{"isEnabled", false}, {"wakeMode", 0}});
  // A settings editor changes the file but posts nothing.
  booted.device->writeSettings(plist::Dictionary{{"isEnabled", false}, {"wakeMode", 2}});
  booted.device->postNotification("com.brel.tessaro.setEnabled");
  booted.device->runUntilIdle();
  EXPECT_EQ(*booted.device->readSettings(), (plist::Dictionary{{"isEnabled", true}, {"wakeMode", 2}}));
  EXPECT_EQ(*booted.tweak->isEnabled, YES);
  EXPECT_EQ(*booted.tweak->wakeMode, 2);
}

// The master switch rewrites the whole file: values XML cannot hold come back bit for bit.
TEST(SwitchingNotifications, KeepEveryValueAnotherProcessStoredExactly) {
  const plist::Dictionary stored{{"isEnabled", false},
                                 {"lastWake", plist::Date{2.53e11}},
                                 {"halfSecond", plist::Date{-1.5}},
                                 {"offset", -0.0},
                                 {"smallest", std::numeric_limits<double>::denorm_min()}};
  auto booted = tweaktest::boot(stored);
  booted.device->postNotification("com.brel.tessaro.setEnabled");
  booted.device->runUntilIdle();
  plist::Dictionary expected = stored;
  expected["isEnabled"] = true;
  const auto file = booted.device->readSettings();
  ASSERT_TRUE(file);
  EXPECT_TRUE(plist::identical(*file, expected));
  EXPECT_EQ(booted.device->log().count("file.write", std::string(device::kSettingsPath) + " (failed)"), 0u);
}

TEST(SwitchingNotifications, SetEnabledWithNoFileCreatesNoneAndStillPosts) {
  auto booted = tweaktest::boot(std::nullopt);
  booted.device->postNotification("com.brel.tessaro.setEnabled");
  booted.device->runUntilIdle();
  EXPECT_FALSE(std::filesystem::exists(*core::resolve(device::kSettingsPath)));
  EXPECT_EQ(*booted.tweak->isEnabled, NO);
  EXPECT_EQ(*booted.tweak->prefs, nil);
  EXPECT_EQ(booted.device->log().count("notification.posted", "com.brel.tessaro.prefschanged"), 1u);
  EXPECT_EQ(booted.device->log().count("file.write"), 0u);
}

}  // namespace
