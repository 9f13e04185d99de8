#include "tests/tweak/TweakTest.h"

#include <gtest/gtest.h>

namespace {

void expectEveryDefault(const TweakInspection& t, bool enabled) {
  EXPECT_EQ(*t.isEnabled, enabled ? YES : NO);
  EXPECT_EQ(*t.isWakeScreenSensitivityEnabled, NO);
  EXPECT_EQ(*t.isMotionDetectorReEnabled, NO);
  EXPECT_EQ(*t.isUpdateIntervalEnabled, NO);
  EXPECT_EQ(*t.isReachavilityDisabled, NO);
  EXPECT_EQ(*t.isAllowTapOnScreenOffEnabled, NO);
  EXPECT_EQ(*t.isVibrationEnabled, NO);
  EXPECT_EQ(*t.disableDetectionMode, 0);
  EXPECT_EQ(*t.wakeMode, 0);
  EXPECT_EQ(*t.wakeGestureMode, 0);
  EXPECT_EQ(*t.disableMotionDetectionSlider, 30.0);
  EXPECT_EQ(*t.motionSenstivity, 7.0f);
  EXPECT_EQ(*t.updateIntervalSlider, 5);
  EXPECT_EQ(*t.vibrationIntensity, 0.75);
  EXPECT_EQ(*t.vibrationDuration, 30);
  EXPECT_EQ(*t.tapToWakeMode, 2);
}

TEST(Settings, WithNoFileEveryGlobalHasItsDefaultAndPrefsIsNone) {
  auto booted = tweaktest::boot(std::nullopt);
  expectEveryDefault(*booted.tweak, false);
  EXPECT_EQ(*booted.tweak->prefs, nil);
}

TEST(Settings, AFileWithOnlyIsEnabledLeavesEveryOtherDefault) {
  auto booted = tweaktest::boot(plist::Dictionary{{"isEnabled", true}});
  expectEveryDefault(*booted.tweak, true);
  EXPECT_NE(*booted.tweak->prefs, nil);
}

TEST(Settings, ConvertsValuesAsThePlatformDoes) {
  auto booted = tweaktest::boot(plist::Dictionary{
      {"isEnabled", "YES"},                     // a string that reads as YES
      {"tapToWakeMode", 1.9},                   // truncated toward zero
      {"wakeMode", -1.9},
      {"vibrationIntensity", 0.3},              // through single precision
      {"vibrationDuration", -5},                // sign-extended
      {"motionSenstivity", " +2.5"},
      {"disableMotionDetectionSlider", 2.5},
      {"isVibrationEnabled", " +0007"},
      {"isUpdateIntervalEnabled", 0.5},          // any non-zero number
      {"updateIntervalSlider", "3 apples"},
  });
  const TweakInspection& t = *booted.tweak;
  EXPECT_EQ(*t.isEnabled, YES);
  EXPECT_EQ(*t.tapToWakeMode, 1);
  EXPECT_EQ(*t.wakeMode, -1);
  EXPECT_EQ(*t.vibrationIntensity, 0.30000001192092896);
  EXPECT_EQ(*t.vibrationDuration, -5);
  EXPECT_EQ(*t.motionSenstivity, 2.5f);
  EXPECT_EQ(*t.disableMotionDetectionSlider, 2.5);
  EXPECT_EQ(*t.isVibrationEnabled, YES);
  EXPECT_EQ(*t.isUpdateIntervalEnabled, YES);
  EXPECT_EQ(*t.updateIntervalSlider, 3);
}

TEST(Settings, KeysAreMatchedExactly) {
  auto booted = tweaktest::boot(plist::Dictionary{
      {"IsEnabled", true}, {"isEnable", true}, {"wakemode", 2}, {"motionSensitivity", 1.0}, {"tapToWakeMode ", 0}});
  expectEveryDefault(*booted.tweak, false);
}

TEST(Settings, AValueWithoutANumberReadsAsAbsent) {
  auto booted = tweaktest::boot(plist::Dictionary{{"isEnabled", true},
                                                  {"wakeMode", plist::Array{plist::Value(2)}},
                                                  {"vibrationDuration", plist::Date{1000.0}},
                                                  {"tapToWakeMode", plist::Dictionary{{"value", 1}}},
                                                  {"motionSenstivity", plist::Data{1, 2, 3}}});
  expectEveryDefault(*booted.tweak, true);
}

TEST(Settings, ARemovedKeyReturnsToItsDefaultAfterTheNotification) {
  auto booted = tweaktest::boot(plist::Dictionary{{"isEnabled", true}, {"vibrationDuration", 80}});
  EXPECT_EQ(*booted.tweak->vibrationDuration, 80);
  booted.device->writeSettings(plist::Dictionary{{"isEnabled", true}});
  booted.device->runUntilIdle();
  EXPECT_EQ(*booted.tweak->vibrationDuration, 80) << "reloaded without the notification";
  booted.device->postNotification("com.brel.tessaro.prefschanged");
  booted.device->runUntilIdle();
  EXPECT_EQ(*booted.tweak->vibrationDuration, 30);
}

TEST(Settings, AFileThatBecomesUnreadableGivesEveryDefault) {
  auto booted = tweaktest::boot(plist::Dictionary{{"isEnabled", true}, {"wakeMode", 1}});
  {
    std::FILE* file = std::fopen(core::resolve(device::kSettingsPath)->c_str(), "w");
    std::fputs("<plist><dict><key>isEnabled</key>", file);
    std::fclose(file);
  }
  booted.device->postNotification("com.brel.tessaro.prefschanged");
  booted.device->runUntilIdle();
  expectEveryDefault(*booted.tweak, false);
  EXPECT_EQ(*booted.tweak->prefs, nil);
}

TEST(Settings, ReadsABinaryFileAsWellAsXml) {
  device::BootOptions options;
  auto path = core::resolve(device::kSettingsPath);
  options.beforeLoad = [path] {
    ASSERT_TRUE(core::ensureParentDirectories(*path));
    ASSERT_TRUE(plist::writeDictionaryAtomically(plist::Dictionary{{"isEnabled", true}, {"wakeGestureMode", 2}}, *path,
                                                 plist::Format::Binary));
  };
  auto booted = tweaktest::boot(std::nullopt, options);
  EXPECT_EQ(*booted.tweak->isEnabled, YES);
  EXPECT_EQ(*booted.tweak->wakeGestureMode, 2);
}

}  // namespace
