// Reachability suppression: the host's toggle, its window and its settings.

#include "platform/springboard/SpringBoard.h"
#include "tests/tweak/TweakTest.h"

#include <gtest/gtest.h>

namespace {

using namespace objc::literals;
using objc::send;

id reachabilitySettings() { return send<id()>(springboard::reachabilityManager(), "settings"_sel); }
double yOffsetFactor() { return send<double()>(reachabilitySettings(), "yOffsetFactor"_sel); }
double swipeDownHeight() { return send<double()>(reachabilitySettings(), "systemWideSwipeDownHeight"_sel); }

std::size_t toggles(const tweaktest::Booted& booted) {
  return booted.device->log().count("host", "-[SBReachabilityManager toggleReachability]");
}

TEST(Reachability, SwitchedOnItIsTheHostsWhateverTheOtherFlagsSay) {
  auto booted = tweaktest::boot(plist::Dictionary{{"isEnabled", true}, {"isAllowTapOnScreenOffEnabled", true}});
  EXPECT_EQ(yOffsetFactor(), springboard::kReachabilityYOffsetFactor);
  EXPECT_EQ(swipeDownHeight(), springboard::kReachabilitySwipeDownHeight);
  ASSERT_EQ(*booted.tweak->reachavilityDisabled, YES) << "the screen-off window is open from the start";
  booted.device->toggleReachability();
  EXPECT_TRUE(booted.device->reachabilityActive());
  booted.device->toggleReachability();
  EXPECT_FALSE(booted.device->reachabilityActive());
  EXPECT_EQ(booted.device->log().count("reachability", "window released"), 1u);
}

TEST(Reachability, SwitchedOffNoWindowIsMadeAndTheSettingsAreZero) {
  auto booted = tweaktest::boot(plist::Dictionary{{"isEnabled", false}, {"isReachavilityDisabled", true}});
  EXPECT_EQ(yOffsetFactor(), 0.0) << "the tweak being off does not restore reachability";
  EXPECT_EQ(swipeDownHeight(), 0.0);
  booted.device->toggleReachability();
  EXPECT_EQ(toggles(booted), 1u) << "the toggle reaches the host";
  EXPECT_FALSE(booted.device->reachabilityActive());
  EXPECT_EQ(booted.device->log().count("reachability", "window released"), 1u) << "the refused window is released";
  EXPECT_EQ(booted.device->log().count("host", "-[SBReachabilityWindow initWithWallpaperVariant:] 1"), 0u);

  send<void(double)>(reachabilitySettings(), "setYOffsetFactor:"_sel, 0.3);
  EXPECT_EQ(yOffsetFactor(), 0.0);
  *booted.tweak->isReachavilityDisabled = NO;
  EXPECT_EQ(yOffsetFactor(), 0.0) << "stays what was stored until the host sets it again";
  send<void(double)>(reachabilitySettings(), "setYOffsetFactor:"_sel, 0.3);
  EXPECT_EQ(yOffsetFactor(), 0.3);
  booted.device->toggleReachability();
  EXPECT_TRUE(booted.device->reachabilityActive());
}

TEST(Reachability, TogglingIsSwallowedFromScreenOffUntilHalfASecondAfterTheDisplayTurnsOn) {
  auto booted = tweaktest::boot(
      plist::Dictionary{{"isEnabled", true}, {"isReachavilityDisabled", true}, {"isAllowTapOnScreenOffEnabled", true}});
  booted.device->toggleReachability();
  EXPECT_EQ(toggles(booted), 0u) << "swallowed right after start";
  booted.device->pressLockButton();
  booted.device->toggleReachability();
  EXPECT_EQ(toggles(booted), 0u);
  booted.device->pressLockButton();  // the display turns on over the lock screen
  booted.device->runFor(0.49);
  booted.device->toggleReachability();
  EXPECT_EQ(toggles(booted), 0u);
  booted.device->runFor(0.02);
  booted.device->toggleReachability();
  EXPECT_EQ(toggles(booted), 1u);

  booted.device->setLowPowerMode(true);
  booted.device->pressLockButton();
  booted.device->pressLockButton();  // on in Low Power Mode: the window stays open
  booted.device->runFor(1.0);
  booted.device->toggleReachability();
  EXPECT_EQ(toggles(booted), 1u);
}

TEST(Reachability, AHostWithoutItsSettingsStillHasTheOtherTwoReplacements) {
  device::BootOptions options;
  options.absentClasses = {"SBReachabilitySettings"};
  auto booted = tweaktest::boot(plist::Dictionary{{"isReachavilityDisabled", true}}, options);
  EXPECT_EQ(reachabilitySettings(), nil);
  booted.device->toggleReachability();
  EXPECT_EQ(toggles(booted), 1u);
  EXPECT_FALSE(booted.device->reachabilityActive()) << "the window is still refused";
}

}  // namespace
