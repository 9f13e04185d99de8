#include "platform/objc/AutoreleasePool.h"
#include "tests/tweak/TweakTest.h"

#include <gtest/gtest.h>

namespace {

nlohmann::json lastVibration(const core::EventLog& log) {
  auto vibrations = log.ofKind("vibration");
  return vibrations.empty() ? nlohmann::json() : vibrations.back().fields;
}

TEST(HapticVibe, RequestsAThirtyMillisecondPulseAtThreeQuartersByDefault) {
  auto booted = tweaktest::boot(std::nullopt);
  objc::AutoreleasePool pool;
  booted.tweak->hapticVibe();
  const auto request = lastVibration(booted.device->log());
  EXPECT_EQ(request["sound"], 4095);
  EXPECT_EQ(request["keys"], (nlohmann::json{"Intensity", "VibePattern"}));
  EXPECT_EQ(request["VibePattern"], (nlohmann::json{true, 30}));
  EXPECT_EQ(request["Intensity"], 0.75);
}

TEST(HapticVibe, SendsTheConfiguredPulseEvenOfZeroLengthAndNarrowsTheIntensity) {
  auto booted = tweaktest::boot(plist::Dictionary{{"vibrationDuration", 0}, {"vibrationIntensity", 0.3}});
  objc::AutoreleasePool pool;
  booted.tweak->hapticVibe();
  const auto request = lastVibration(booted.device->log());
  EXPECT_EQ(request["VibePattern"], (nlohmann::json{true, 0}));
  EXPECT_EQ(request["Intensity"], static_cast<double>(0.3f));
}

TEST(WakeScreen, LightsTheDarkDisplayOverTheLockScreenAndAsksAgainWhenLit) {
  auto booted = tweaktest::boot(std::nullopt);
  booted.device->pressLockButton();
  ASSERT_FALSE(booted.device->displayOn());
  objc::AutoreleasePool pool;
  booted.tweak->wakeScreen();
  EXPECT_TRUE(booted.device->displayOn());
  EXPECT_TRUE(booted.device->lockScreenUp());
  booted.tweak->wakeScreen();
  EXPECT_EQ(booted.device->log().count("host", "-[SpringBoard _turnScreenOnOnDashBoardWithCompletion:]"), 2u);
  EXPECT_EQ(booted.device->log().count("display", "on"), 1u);
}

}  // namespace
