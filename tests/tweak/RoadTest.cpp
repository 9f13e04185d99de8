#include "tests/tweak/TweakTest.h"

#include <gtest/gtest.h>

namespace {

// The typical road: pick-up mode, lock, lie flat, pick up, unlock.
TEST(Road, APickedUpDeviceLightsOverTheLockScreenOnceAndSamplingStopsAtUnlock) {
  hardware::motionWorld().hold({0, 0, -1});  // face up
  auto booted = tweaktest::boot(plist::Dictionary{{"isEnabled", true}, {"wakeMode", 0}, {"wakeGestureMode", 0}});
  booted.device->pressLockButton();
  ASSERT_FALSE(booted.device->displayOn());
  ASSERT_TRUE(tweaktest::sampling());
  booted.device->runFor(3.0);
  EXPECT_EQ(tweaktest::wakes(booted), 0u);
  hardware::motionWorld().move({0, -0.85, -0.5}, 0.5);  // raised
  booted.device->runFor(3.0);
  EXPECT_EQ(tweaktest::wakes(booted), 1u);
  EXPECT_TRUE(booted.device->displayOn());
  EXPECT_TRUE(booted.device->lockScreenUp());
  booted.device->runFor(3.0);
  EXPECT_EQ(tweaktest::wakes(booted), 1u);
  ASSERT_TRUE(booted.device->unlock());
  EXPECT_FALSE(tweaktest::sampling());
  EXPECT_EQ(*booted.tweak->deviceMotionTimer, nil);
  EXPECT_EQ(*booted.tweak->disableMotionDetector, nil);
}

}  // namespace
