#include "tests/tweak/TweakTest.h"

#include <gtest/gtest.h>

namespace {

using namespace objc::literals;
using objc::send;

plist::Dictionary homeButtonMode(plist::Dictionary extra = {}) {
  extra.emplace("isEnabled", true);
  extra.emplace("isAllowTapOnScreenOffEnabled", true);
  return extra;
}

std::size_t noticesReachingHost(const tweaktest::Booted& booted) {
  return booted.device->log().count("host", "-[SBUIBiometricResource noteScreenDidTurnOff]");
}

std::vector<double> idleSleepSeconds(const tweaktest::Booted& booted) {
  std::vector<double> seconds;
  for (const auto& event : booted.device->log().ofKind("idleSleep")) seconds.push_back(event.fields["seconds"]);
  return seconds;
}

void requestIdleSleep(float seconds) {
  id backlight = send<id()>(objc::getClass("SBBacklightController"), "sharedInstance"_sel);
  send<void(float)>(backlight, "preventIdleSleepForNumberOfSeconds:"_sel, seconds);
}

TEST(BiometricTimeout, WithholdsNoticesUntilTheTimeoutFiresThenLetsThemThrough) {
  auto booted = tweaktest::boot(homeButtonMode());
  booted.device->pressLockButton();
  EXPECT_EQ(noticesReachingHost(booted), 0u);
  id timeout = *booted.tweak->disableMotionDetector2;
  ASSERT_NE(timeout, nil);
  EXPECT_DOUBLE_EQ(send<double()>(timeout, "fireTime"_sel), 1800.0);

  booted.device->runFor(600);
  booted.device->pressLockButton();
  booted.device->pressLockButton();  // a second display-off notice before it fires
  EXPECT_EQ(noticesReachingHost(booted), 0u);
  EXPECT_EQ(*booted.tweak->disableMotionDetector2, timeout) << "not restarted";

  const auto wakesBefore = tweaktest::wakes(booted);
  booted.device->runUntil(1800.5);
  EXPECT_EQ(tweaktest::wakes(booted), wakesBefore + 1);
  EXPECT_EQ(*booted.tweak->disabled, YES);
  EXPECT_EQ(*booted.tweak->disableMotionDetector2, nil);
  booted.device->pressLockButton();
  EXPECT_EQ(noticesReachingHost(booted), 1u);
}

TEST(BiometricTimeout, WhileChargingNoticesAreWithheldAndNoTimeoutStarts) {
  auto booted = tweaktest::boot(homeButtonMode());
  booted.device->setCharging(true);
  booted.device->pressLockButton();
  EXPECT_EQ(noticesReachingHost(booted), 0u);
  EXPECT_EQ(*booted.tweak->disableMotionDetector2, nil);
}

TEST(BiometricTimeout, OffOrInLowPowerModeEveryNoticeReachesTheHost) {
  auto booted = tweaktest::boot(plist::Dictionary{{"isEnabled", true}});
  booted.device->pressLockButton();
  EXPECT_EQ(noticesReachingHost(booted), 1u);
  *booted.tweak->isAllowTapOnScreenOffEnabled = YES;
  booted.device->setLowPowerMode(true);
  booted.device->pressLockButton();
  booted.device->pressLockButton();
  EXPECT_EQ(noticesReachingHost(booted), 2u);
  EXPECT_EQ(*booted.tweak->disableMotionDetector2, nil);
}

TEST(IdleSleepWindow, StretchesToTheTimeoutWindowWhileTheHomeButtonWakeIsArmed) {
  auto booted = tweaktest::boot(homeButtonMode({{"disableMotionDetectionSlider", 2.5}}));
  requestIdleSleep(10);
  EXPECT_EQ(idleSleepSeconds(booted).back(), 150.0);
  *booted.tweak->disabled = YES;
  requestIdleSleep(10);
  EXPECT_EQ(idleSleepSeconds(booted).back(), 10.0) << "timed out, no motion time-out running";
  booted.device->setLowPowerMode(true);
  *booted.tweak->disabled = NO;
  requestIdleSleep(10);
  EXPECT_EQ(idleSleepSeconds(booted).back(), 10.0) << "Low Power Mode";
}

TEST(IdleSleepWindow, IsSixtyThousandSecondsWithNoTimeoutConfigured) {
  auto booted = tweaktest::boot(homeButtonMode({{"disableDetectionMode", 1}}));
  booted.device->pressLockButton();
  EXPECT_EQ(idleSleepSeconds(booted).back(), 60000.0);
  EXPECT_EQ(*booted.tweak->disableMotionDetector2, nil) << "no time-out ever starts";
  EXPECT_EQ(noticesReachingHost(booted), 0u);
  *booted.tweak->disabled = YES;
  requestIdleSleep(10);
  EXPECT_EQ(idleSleepSeconds(booted).back(), 60000.0) << "whatever the feature's state";
}

TEST(IdleSleepWindow, FollowsARunningMotionTimeout) {
  auto booted = tweaktest::boot(plist::Dictionary{{"isEnabled", true}});
  booted.device->pressLockButton();
  EXPECT_EQ(idleSleepSeconds(booted).back(), 10.0) << "no motion time-out yet at the first request";
  booted.device->runFor(1.0);
  ASSERT_NE(*booted.tweak->disableMotionDetector, nil);
  requestIdleSleep(10);
  EXPECT_EQ(idleSleepSeconds(booted).back(), 1800.0);
}

TEST(IdleSleep, ADarkDevicePastItsWindowHoldsTimersAndReadingsUntilWoken) {
  device::BootOptions options;
  options.sleepsWhenIdle = true;
  auto booted = tweaktest::boot(plist::Dictionary{{"isEnabled", true}, {"disableMotionDetectionSlider", 0.5}},
                                options);
  booted.device->pressLockButton();  // granted 10 s: no motion time-out runs yet
  booted.device->runFor(20.0);
  EXPECT_EQ(booted.device->log().count("sleep", "asleep"), 1u);
  const long long delivered = coremotion::deliveredReadings();
  booted.device->runFor(100.0);
  EXPECT_EQ(coremotion::deliveredReadings(), delivered) << "no reading while asleep";
  EXPECT_EQ(booted.device->log().count("timer", "-[SBLockScreenManager disableDetection]"), 0u);
  booted.device->pressLockButton();
  booted.device->runFor(0.1);
  // The overdue 30-second time-out fires once the device is awake.
  EXPECT_EQ(booted.device->log().count("timer", "-[SBLockScreenManager disableDetection]"), 1u);
}

}  // namespace
