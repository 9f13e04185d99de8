#include "tests/tweak/TweakTest.h"

#include <gtest/gtest.h>

namespace {

using namespace objc::literals;
using hardware::Vector3;
using tweaktest::setReading;
using tweaktest::wakes;

const Vector3 kFaceUp{0, 0, -1};
const Vector3 kRaised{0, -0.85, -0.5};
const Vector3 kFaceDown{0.1, 0.1, 0.95};

// Locked and dark, sampling once a second: each second brings a delivery and a timer tick,
// two classification steps on the same reading.
tweaktest::Booted lockedDevice(plist::Dictionary settings) {
  settings.emplace("isEnabled", true);
  setReading(kFaceUp);
  auto booted = tweaktest::boot(settings);
  booted.device->pressLockButton();
  return booted;
}

void oneInterval(const tweaktest::Booted& booted, Vector3 gravity, Vector3 acceleration = {}) {
  setReading(gravity, acceleration);
  booted.device->runFor(1.0);
}

TEST(PickUp, WakesOnceWhenTheSteadyDeviceIsRaised) {
  auto booted = lockedDevice({{"isWakeScreenSensitivityEnabled", true}});
  oneInterval(booted, kFaceUp);
  EXPECT_EQ(*booted.tweak->motionType, 1);
  EXPECT_EQ(wakes(booted), 0u);
  oneInterval(booted, kRaised);
  EXPECT_EQ(wakes(booted), 1u);
  EXPECT_EQ(*booted.tweak->motionType, 0);
  EXPECT_TRUE(booted.device->lockScreenUp());
  oneInterval(booted, kRaised);
  EXPECT_EQ(wakes(booted), 1u);
}

TEST(PickUp, AMovingRaisedReadingDoesNotWakeAndSpendsTheChange) {
  auto booted = lockedDevice({{"isWakeScreenSensitivityEnabled", true}});
  oneInterval(booted, kFaceUp);
  oneInterval(booted, kRaised, {0.2, 0, 0});
  EXPECT_EQ(wakes(booted), 0u);
  EXPECT_EQ(*booted.tweak->motionType, 0);
  oneInterval(booted, kRaised);
  EXPECT_EQ(wakes(booted), 0u) << "the pose did not change";
}

TEST(PickUp, WithoutSensitivityWakesWhateverTheAcceleration) {
  auto booted = lockedDevice({});
  oneInterval(booted, kFaceUp);
  oneInterval(booted, kRaised, {0, 0, -3.0});
  EXPECT_EQ(wakes(booted), 1u);
}

TEST(PickUp, TheFirstDarkStepWakesAHeldDeviceFromTheInitialPose) {
  setReading(kRaised);
  auto booted = tweaktest::boot(plist::Dictionary{{"isEnabled", true}});
  ASSERT_EQ(*booted.tweak->motionType, 5);
  booted.device->pressLockButton();
  booted.device->runFor(1.0);
  EXPECT_EQ(wakes(booted), 1u);
}

TEST(LayFlat, WakesWhenLaidFaceUpAfterBeingRaisedButNotTheOtherWay) {
  auto booted = lockedDevice({{"wakeGestureMode", 2}});
  oneInterval(booted, kRaised);
  oneInterval(booted, kFaceUp);
  EXPECT_EQ(wakes(booted), 1u);
  booted.device->pressLockButton();
  oneInterval(booted, kFaceUp);
  EXPECT_EQ(wakes(booted), 1u) << "a second face-up reading";
  oneInterval(booted, kRaised);
  EXPECT_EQ(wakes(booted), 1u) << "raised after face up";
}

TEST(AnyMotion, WakesAtTwoGAndNotBelow) {
  auto booted = lockedDevice({{"wakeGestureMode", 1}});
  oneInterval(booted, kFaceUp, {0, 0, -1.99});
  EXPECT_EQ(wakes(booted), 0u);
  oneInterval(booted, kFaceUp, {0, 0, -2.0});
  EXPECT_EQ(wakes(booted), 1u);
  EXPECT_EQ(*booted.tweak->motionType, 5);
}

TEST(AnyMotion, WithSensitivityTheLimitIsASeventhOfThreeTimesSeven) {
  auto booted = lockedDevice({{"wakeGestureMode", 1}, {"isWakeScreenSensitivityEnabled", true}});
  oneInterval(booted, kFaceUp, {0, 0, 2.3});
  EXPECT_EQ(wakes(booted), 0u);
  oneInterval(booted, kFaceUp, {0, 0, 7.0 / 3.0});
  EXPECT_EQ(wakes(booted), 1u);
}

TEST(FaceDownLock, PressesOnceAndArmsAgainAfterAnotherPose) {
  auto booted = lockedDevice({{"wakeMode", 1}});
  booted.device->pressLockButton();  // lit over the lock screen
  ASSERT_TRUE(booted.device->displayOn());
  oneInterval(booted, {0, -0.9, -0.4});
  EXPECT_EQ(tweaktest::lockPresses(booted), 0u);
  oneInterval(booted, kFaceDown);  // the first step presses; the second finds it dark
  EXPECT_EQ(tweaktest::lockPresses(booted), 1u);
  EXPECT_FALSE(booted.device->displayOn());
  booted.device->pressLockButton();  // lit again, still face down
  oneInterval(booted, kFaceDown);
  EXPECT_EQ(tweaktest::lockPresses(booted), 1u);
  oneInterval(booted, kFaceUp);
  oneInterval(booted, kFaceDown);
  EXPECT_EQ(tweaktest::lockPresses(booted), 2u);
}

TEST(FaceDownLock, PickUpModeWithTheDisplayOnChangesNothing) {
  auto booted = lockedDevice({});
  booted.device->pressLockButton();
  oneInterval(booted, kFaceUp);
  const long long before = *booted.tweak->motionType;
  oneInterval(booted, kFaceDown);
  oneInterval(booted, kRaised, {0, 0, 5});
  EXPECT_EQ(tweaktest::lockPresses(booted), 0u);
  EXPECT_EQ(*booted.tweak->motionType, before);
}

TEST(Classification, ACallInProgressChangesNothing) {
  auto booted = lockedDevice({});
  booted.device->setCallInProgress(true);
  oneInterval(booted, kRaised);
  EXPECT_EQ(wakes(booted), 0u);
  EXPECT_EQ(*booted.tweak->motionType, 5);
  EXPECT_EQ(*booted.tweak->disableMotionDetector, nil);
}

TEST(MotionTimeout, StartsOnceAtTheFirstDarkStepAndEndsDetection) {
  auto booted = lockedDevice({});
  booted.device->runFor(1.0);
  id timeout = *booted.tweak->disableMotionDetector;
  ASSERT_NE(timeout, nil);
  const double firesAt = objc::send<double()>(timeout, "fireTime"_sel);
  EXPECT_DOUBLE_EQ(firesAt, 1.0 + 1800.0);
  booted.device->runFor(100.0);
  EXPECT_EQ(*booted.tweak->disableMotionDetector, timeout) << "later steps do not restart it";
  booted.device->runUntil(1801.5);
  EXPECT_EQ(booted.device->log().count("timer", "-[SBLockScreenManager disableDetection]"), 1u);
  EXPECT_EQ(wakes(booted), 1u) << "the end of detection lights the display";
  EXPECT_FALSE(tweaktest::sampling());
}

TEST(MotionTimeout, NoneWithAnotherDetectionMode) {
  auto booted = lockedDevice({{"disableDetectionMode", 1}});
  booted.device->runFor(5.0);
  EXPECT_EQ(*booted.tweak->disableMotionDetector, nil);
}

TEST(Classification, SwitchingOnTheHomeButtonModeEndsSamplingAtTheNextStep) {
  auto booted = lockedDevice({});
  booted.device->runFor(1.0);
  ASSERT_TRUE(tweaktest::sampling());
  booted.device->writeSettings(plist::Dictionary{{"isEnabled", true}, {"isAllowTapOnScreenOffEnabled", true}});
  booted.device->postNotification("com.brel.tessaro.prefschanged");
  booted.device->runFor(1.0);
  EXPECT_FALSE(tweaktest::sampling());
  EXPECT_EQ(*booted.tweak->deviceMotionTimer, nil);
  EXPECT_EQ(*booted.tweak->disableMotionDetector, nil);
  EXPECT_EQ(wakes(booted), 1u);
}

}  // namespace
