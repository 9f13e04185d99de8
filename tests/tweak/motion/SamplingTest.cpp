#include "tests/tweak/TweakTest.h"

#include <gtest/gtest.h>

namespace {

using namespace objc::literals;
using objc::send;
using tweaktest::sampling;

plist::Dictionary enabledWith(plist::Dictionary extra) {
  extra.emplace("isEnabled", true);
  return extra;
}

TEST(SamplingInterval, FollowsTheIntervalSettings) {
  auto booted = tweaktest::boot(std::nullopt);
  const TweakInspection& t = *booted.tweak;
  *t.isUpdateIntervalEnabled = NO;
  *t.updateIntervalSlider = 0;
  EXPECT_EQ(t.updateInterval(), 1.0);
  *t.isUpdateIntervalEnabled = YES;
  const double expected[] = {0.025, 0.05, 0.1, 0.2, 0.5};
  for (int slider = 0; slider < 5; ++slider) {
    *t.updateIntervalSlider = slider;
    EXPECT_EQ(t.updateInterval(), expected[slider]) << slider;
  }
  for (int slider : {5, 7, -1}) {
    *t.updateIntervalSlider = slider;
    EXPECT_EQ(t.updateInterval(), 1.0) << slider;
  }
}

TEST(Sampling, StartsWhenTheLockScreenIsPresentedAndStopsAtUnlockInPickUpMode) {
  auto booted = tweaktest::boot(enabledWith({{"isUpdateIntervalEnabled", true}, {"updateIntervalSlider", 2}}));
  booted.device->pressLockButton();
  ASSERT_TRUE(sampling());
  EXPECT_NE(*booted.tweak->deviceMotionTimer, nil);
  EXPECT_EQ(send<double()>(*booted.tweak->deviceMotionTimer, "timeInterval"_sel), 0.1);
  EXPECT_EQ(send<double()>(tweaktest::storedMotionManager(), "deviceMotionUpdateInterval"_sel), 0.1);
  booted.device->runFor(1.0);
  booted.device->pressLockButton();
  ASSERT_TRUE(booted.device->unlock());
  EXPECT_FALSE(sampling());
  EXPECT_EQ(*booted.tweak->deviceMotionTimer, nil);
  EXPECT_EQ(*booted.tweak->disableMotionDetector, nil);
  EXPECT_NE(tweaktest::storedMotionManager(), nil) << "the source stays stored";
}

TEST(Sampling, APresentationTwiceReplacesTheSourceButNotTheTimer) {
  auto booted = tweaktest::boot(enabledWith({}));
  booted.device->pressLockButton();
  id firstSource = tweaktest::storedMotionManager();
  id timer = *booted.tweak->deviceMotionTimer;
  *booted.tweak->isUpdateIntervalEnabled = YES;
  *booted.tweak->updateIntervalSlider = 0;
  send<void()>(tweaktest::lockScreenManager(), "lockScreenViewControllerDidPresent"_sel);
  id secondSource = tweaktest::storedMotionManager();
  EXPECT_NE(secondSource, firstSource);
  EXPECT_TRUE(send<BOOL()>(secondSource, "isDeviceMotionActive"_sel));
  EXPECT_EQ(send<double()>(secondSource, "deviceMotionUpdateInterval"_sel), 0.025);
  EXPECT_EQ(*booted.tweak->deviceMotionTimer, timer);
  EXPECT_EQ(send<double()>(timer, "timeInterval"_sel), 1.0);
}

TEST(Sampling, NothingStartsWhenTheGateFails) {
  auto booted = tweaktest::boot(enabledWith({{"isAllowTapOnScreenOffEnabled", true}}));
  booted.device->pressLockButton();
  EXPECT_EQ(tweaktest::storedMotionManager(), nil);
  EXPECT_EQ(*booted.tweak->deviceMotionTimer, nil);
  EXPECT_EQ(booted.device->log().count("host", "-[SBLockScreenManager lockScreenViewControllerDidPresent]"), 1u)
      << "the host's implementation still runs";
  *booted.tweak->isAllowTapOnScreenOffEnabled = NO;
  booted.device->setLowPowerMode(true);
  send<void()>(tweaktest::lockScreenManager(), "lockScreenViewControllerDidPresent"_sel);
  EXPECT_EQ(tweaktest::storedMotionManager(), nil);
  booted.device->setLowPowerMode(false);
  *booted.tweak->isLocked = NO;
  send<void()>(tweaktest::lockScreenManager(), "lockScreenViewControllerDidPresent"_sel);
  EXPECT_EQ(tweaktest::storedMotionManager(), nil);
}

TEST(Sampling, ADeviceWithoutTheSensorStoresTheSourceAndRunsNothing) {
  device::BootOptions options;
  options.motionSensor = false;
  auto booted = tweaktest::boot(enabledWith({}), options);
  booted.device->pressLockButton();
  EXPECT_NE(tweaktest::storedMotionManager(), nil);
  EXPECT_EQ(*booted.tweak->deviceMotionTimer, nil);
  EXPECT_FALSE(sampling());
}

struct WakeModeRow {
  int wakeMode;
  bool afterPresent;
  bool afterDismiss;
};

// Test names come from the parameter: without these, its padding bytes would be printed.
void PrintTo(const WakeModeRow& row, std::ostream* out) { *out << "wakeMode " << row.wakeMode; }

class WakeModeTable : public testing::TestWithParam<WakeModeRow> {};

TEST_P(WakeModeTable, StartsAndStopsSamplingOverALockAndUnlock) {
  const WakeModeRow row = GetParam();
  auto booted = tweaktest::boot(enabledWith({{"wakeMode", row.wakeMode}}));
  // Unlocked first, then the lock screen comes up and goes.
  send<void()>(tweaktest::lockScreenManager(), "lockScreenViewControllerDidPresent"_sel);
  *booted.tweak->isLocked = NO;
  send<void()>(tweaktest::lockScreenManager(), "lockScreenViewControllerDidDismiss"_sel);
  const bool runningBefore = sampling();
  booted.device->pressLockButton();
  EXPECT_EQ(sampling(), row.afterPresent);
  booted.device->pressLockButton();
  ASSERT_TRUE(booted.device->unlock());
  EXPECT_EQ(sampling(), row.afterDismiss) << "was " << runningBefore << " before the lock";
}

INSTANTIATE_TEST_SUITE_P(Modes, WakeModeTable,
                         testing::Values(WakeModeRow{0, true, false}, WakeModeRow{1, true, true},
                                         WakeModeRow{2, false, true}, WakeModeRow{3, false, false}),
                         [](const testing::TestParamInfo<WakeModeRow>& info) {
                           return "WakeMode" + std::to_string(info.param.wakeMode);
                         });

TEST(Sampling, WakeModeOneKeepsBothTimersRunningAfterAnUnlock) {
  auto booted = tweaktest::boot(enabledWith({{"wakeMode", 1}}));
  booted.device->pressLockButton();
  booted.device->runFor(1.5);
  ASSERT_NE(*booted.tweak->disableMotionDetector, nil);
  booted.device->pressLockButton();
  ASSERT_TRUE(booted.device->unlock());
  EXPECT_TRUE(sampling());
  EXPECT_NE(*booted.tweak->deviceMotionTimer, nil);
  EXPECT_NE(*booted.tweak->disableMotionDetector, nil);
}

TEST(EndOfDetection, LightsTheDisplayUnlessDetectionIsReEnabled) {
  auto booted = tweaktest::boot(enabledWith({}));
  booted.device->pressLockButton();
  send<void()>(tweaktest::lockScreenManager(), "disableDetection"_sel);
  EXPECT_EQ(tweaktest::wakes(booted), 1u);
  EXPECT_FALSE(sampling());
  EXPECT_EQ(*booted.tweak->deviceMotionTimer, nil);

  booted.device->pressLockButton();
  booted.device->pressLockButton();
  *booted.tweak->isMotionDetectorReEnabled = YES;
  send<void()>(tweaktest::lockScreenManager(), "disableDetection"_sel);
  EXPECT_EQ(tweaktest::wakes(booted), 2u) << "only the user's press lit it again";
}

}  // namespace
