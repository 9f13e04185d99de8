#include "tests/tweak/TweakTest.h"

#include <gtest/gtest.h>

namespace {

using namespace objc::literals;
using objc::send;

id dashBoard() { return objc::sharedInstanceOf(objc::asId(objc::getClass("SBDashBoardViewController"))); }

TEST(DashBoard, ScreenOffModeLocksAndUnlockClears) {
  auto booted = tweaktest::boot(plist::Dictionary{{"isEnabled", true}, {"isAllowTapOnScreenOffEnabled", true}});
  *booted.tweak->isLocked = NO;
  *booted.tweak->reachavilityDisabled = NO;
  send<void(BOOL, BOOL, int)>(dashBoard(), "setInScreenOffMode:forAutoUnlock:fromUnlockSource:"_sel, NO, NO, 0);
  EXPECT_EQ(*booted.tweak->isLocked, NO) << "screen-off mode NO changes nothing";
  booted.device->pressLockButton();
  EXPECT_EQ(*booted.tweak->isLocked, YES);
  EXPECT_EQ(*booted.tweak->reachavilityDisabled, YES);
  ASSERT_NE(*booted.tweak->disableMotionDetector2, nil);
  *booted.tweak->disabled = YES;
  booted.device->pressLockButton();
  ASSERT_TRUE(booted.device->unlock());
  EXPECT_EQ(*booted.tweak->isLocked, NO);
  EXPECT_EQ(*booted.tweak->disabled, NO);
  EXPECT_EQ(*booted.tweak->disableMotionDetector2, nil);
}

TEST(DashBoard, WithTheTweakOffTheHooksBehaveAsTheHosts) {
  auto booted = tweaktest::boot(plist::Dictionary{{"isEnabled", false}});
  *booted.tweak->isLocked = NO;
  booted.device->pressLockButton();
  EXPECT_EQ(*booted.tweak->isLocked, NO);
  EXPECT_EQ(booted.device->log().count("host", "-[SBDashBoardViewController setInScreenOffMode:forAutoUnlock:fromUnlockSource:] YES"), 1u);
}

TEST(DashBoard, FingerprintEventsWhileDarkSetDisableActions) {
  auto booted = tweaktest::boot(plist::Dictionary{{"isEnabled", true}, {"isAllowTapOnScreenOffEnabled", true}});
  booted.device->pressLockButton();
  for (long long event : {2LL, 0LL, 4LL, 1LL, 9LL, -1LL, 0LL}) {
    booted.device->reportBiometricEvent(event);
    EXPECT_EQ(*booted.tweak->disableActions, (event == 0 || event == 1) ? NO : YES) << event;
  }
  booted.device->reportBiometricEvent(2);
  booted.device->pressLockButton();  // lit: events leave it alone
  booted.device->reportBiometricEvent(1);
  EXPECT_EQ(*booted.tweak->disableActions, YES);
  ASSERT_TRUE(booted.device->unlock());
  EXPECT_EQ(*booted.tweak->disableActions, YES) << "not even an unlock resets it";
  booted.device->pressLockButton();
  *booted.tweak->disabled = YES;
  booted.device->reportBiometricEvent(0);
  EXPECT_EQ(*booted.tweak->disableActions, YES) << "timed out: events leave it alone";
  EXPECT_EQ(booted.device->log().count("host", "-[SBDashBoardViewController handleBiometricEvent:] 0"), 3u)
      << "the host hears every event";
}

TEST(DashBoard, DisplayOnClosesTheScreenOffWindowAfterHalfASecondAndReArmsAfterThree) {
  auto booted = tweaktest::boot(plist::Dictionary{
      {"isEnabled", true}, {"isAllowTapOnScreenOffEnabled", true}, {"isMotionDetectorReEnabled", true}});
  booted.device->pressLockButton();
  id timeout = *booted.tweak->disableMotionDetector2;
  *booted.tweak->disabled = YES;
  booted.device->pressLockButton();
  booted.device->runFor(0.4);
  EXPECT_EQ(*booted.tweak->reachavilityDisabled, YES);
  booted.device->runFor(0.2);
  EXPECT_EQ(*booted.tweak->reachavilityDisabled, NO);
  EXPECT_EQ(*booted.tweak->disabled, YES);
  booted.device->runFor(2.5);
  EXPECT_EQ(*booted.tweak->disabled, NO);
  EXPECT_EQ(*booted.tweak->disableMotionDetector2, timeout) << "cancelled, the reference kept";
  EXPECT_FALSE(send<BOOL()>(timeout, "isValid"_sel));
}

TEST(DashBoard, DisplayOnRestartsStoppedSamplingThreeSecondsLater) {
  auto booted = tweaktest::boot(plist::Dictionary{{"isEnabled", true}, {"isMotionDetectorReEnabled", true}});
  booted.device->pressLockButton();
  id source = tweaktest::storedMotionManager();
  send<void()>(tweaktest::lockScreenManager(), "disableDetection"_sel);
  ASSERT_FALSE(tweaktest::sampling());
  booted.device->pressLockButton();
  booted.device->runFor(2.9);
  EXPECT_FALSE(tweaktest::sampling());
  booted.device->runFor(0.2);
  EXPECT_TRUE(tweaktest::sampling());
  EXPECT_EQ(tweaktest::storedMotionManager(), source) << "the stored source, not a new one";
  EXPECT_NE(*booted.tweak->deviceMotionTimer, nil);
}

}  // namespace
