// The home-button wake: the tweak's recognizers on the host's home button, pressed through
// the device's physical button while the display is dark.

#include "platform/foundation/Foundation.h"
#include "platform/frontboard/FrontBoard.h"
#include "platform/hardware/HomeButton.h"
#include "platform/springboard/SpringBoard.h"
#include "tests/tweak/TweakTest.h"

#include <gtest/gtest.h>

namespace {

using namespace objc::literals;
using objc::send;

plist::Dictionary homeButtonMode(int tapToWakeMode, plist::Dictionary extra = {}) {
  extra.emplace("isEnabled", true);
  extra.emplace("isAllowTapOnScreenOffEnabled", true);
  extra.emplace("tapToWakeMode", tapToWakeMode);
  return extra;
}

// A device in the home-button mode, locked and dark.
tweaktest::Booted darkDevice(int tapToWakeMode, plist::Dictionary extra = {}, device::BootOptions options = {}) {
  auto booted = tweaktest::boot(homeButtonMode(tapToWakeMode, std::move(extra)), std::move(options));
  booted.device->pressLockButton();
  return booted;
}

std::size_t actions(const tweaktest::Booted& booted) {
  return booted.device->log().count("tweak", "-[SBHomeHardwareButton performTheAction]");
}
std::size_t hostDoublePresses(const tweaktest::Booted& booted) {
  return booted.device->log().count("host", "-[SBHomeHardwareButton doubleTapUp:]");
}

// The time of the first display-on after `after`, or -1.
double wakeTime(const tweaktest::Booted& booted, double after = 0) {
  for (const core::Event& event : booted.device->log().ofKind("display")) {
    if (event.text == "on" && event.time > after) return event.time;
  }
  return -1;
}

void doublePress(device::Device& device) {
  device.clickHomeButton();
  device.runFor(0.15);
  device.clickHomeButton();
}

void tapThenHold(device::Device& device, double seconds) {
  device.clickHomeButton();
  device.runFor(0.15);
  device.clickHomeButton(seconds);
}

id configuration() {
  return send<id()>(springboard::homeHardwareButton(), "gestureRecognizerConfiguration"_sel);
}
id recognizer(const char* getter) { return send<id()>(configuration(), sel_registerName(getter)); }

TEST(HomeButtonWake, ASinglePressWakesOnlyOnceTheDoublePressWindowHasPassed) {
  auto booted = darkDevice(0);
  booted.device->clickHomeButton();
  const double released = booted.device->now();
  booted.device->runFor(hardware::kMultiPressWindow - 0.01);
  EXPECT_FALSE(booted.device->displayOn()) << "the double press may still come";
  booted.device->runFor(0.02);
  EXPECT_TRUE(booted.device->displayOn());
  EXPECT_DOUBLE_EQ(wakeTime(booted), released + hardware::kMultiPressWindow);
  EXPECT_EQ(booted.device->log().count("vibration"), 0u) << "vibration is off";

  booted.device->pressLockButton();
  doublePress(*booted.device);
  booted.device->runFor(1.0);
  EXPECT_FALSE(booted.device->displayOn()) << "a double press is no single press";
}

TEST(HomeButtonWake, ADoublePressWakesThenTheHostHandlesItAndALitDisplayOnlyTheHost) {
  auto booted = darkDevice(1);
  doublePress(*booted.device);
  EXPECT_TRUE(booted.device->displayOn());
  EXPECT_EQ(actions(booted), 1u);
  EXPECT_EQ(hostDoublePresses(booted), 1u);
  const auto& events = booted.device->log().events();
  std::size_t wake = 0, host = 0;
  for (std::size_t i = 0; i < events.size(); ++i) {
    if (events[i].kind == "display" && events[i].text == "on") wake = i;
    if (events[i].kind == "host" && events[i].text == "-[SBHomeHardwareButton doubleTapUp:]") host = i;
  }
  EXPECT_LT(wake, host) << "the wake, then the host's own handling";

  booted.device->runFor(1.0);
  doublePress(*booted.device);  // lit
  EXPECT_EQ(actions(booted), 1u);
  EXPECT_EQ(hostDoublePresses(booted), 2u);
}

TEST(HomeButtonWake, APressHeldTwoSecondsWakesOnceAtFourTenths) {
  auto booted = darkDevice(2);
  const double down = booted.device->now();
  booted.device->clickHomeButton(2.0);
  booted.device->runFor(1.0);
  EXPECT_DOUBLE_EQ(wakeTime(booted), down + 0.4);
  EXPECT_EQ(actions(booted), 1u);
  EXPECT_EQ(booted.device->log().count("tweak", "-[SBHomeHardwareButton longTapFired:]"), 2u) << "began and ended";
  EXPECT_EQ(booted.device->log().count("display", "on"), 1u);
}

TEST(HomeButtonWake, TapAndHoldNeedsItsTapAndReachesTheTapAndHoldRecognizer) {
  auto booted = darkDevice(3);
  booted.device->clickHomeButton(2.0);  // a plain hold
  booted.device->runFor(1.0);
  EXPECT_FALSE(booted.device->displayOn());
  EXPECT_EQ(booted.device->log().count("tweak", "-[SBHomeHardwareButton tapAndHoldFired:]"), 0u);

  const std::size_t longTapsBefore = booted.device->log().count("tweak", "-[SBHomeHardwareButton longTapFired:]");
  const double start = booted.device->now();
  tapThenHold(*booted.device, 1.0);
  booted.device->runFor(0.5);
  EXPECT_TRUE(booted.device->displayOn());
  EXPECT_DOUBLE_EQ(wakeTime(booted), start + 0.1 + 0.15 + 0.4);
  EXPECT_EQ(booted.device->log().count("tweak", "-[SBHomeHardwareButton longTapFired:]"), longTapsBefore)
      << "the long tap stays failed from the tap: the tap-and-hold has the held press";
}

// Every gesture, one after another, with the display dark before each.
void everyGesture(tweaktest::Booted& booted) {
  for (int gesture = 0; gesture < 4; ++gesture) {
    if (booted.device->displayOn()) booted.device->pressLockButton();
    if (gesture == 0) booted.device->clickHomeButton();
    if (gesture == 1) doublePress(*booted.device);
    if (gesture == 2) booted.device->clickHomeButton(1.0);
    if (gesture == 3) tapThenHold(*booted.device, 1.0);
    booted.device->runFor(1.0);
  }
}

// Without a single tap to keep the long tap failed from the tap, both long presses see the
// held press and would begin at the same instant: the tap-and-hold, made first, does.
TEST(HomeButtonWake, WhenBothLongPressesSeeTheHoldTheTapAndHoldMadeFirstTakesIt) {
  device::BootOptions options;
  options.absentClasses = {"SBHBDoubleTapUpGestureRecognizer"};
  auto booted = darkDevice(3, {}, options);
  tapThenHold(*booted.device, 1.0);
  EXPECT_TRUE(booted.device->displayOn());
  EXPECT_EQ(booted.device->log().count("tweak", "-[SBHomeHardwareButton longTapFired:]"), 0u);
  EXPECT_EQ(booted.device->log().count("gesture", "UILongPressGestureRecognizer(longTapFired:) possible -> failed"), 2u)
      << "released early from the tap, then excluded from the hold";
}

TEST(HomeButtonWake, ModeFourDoesNothing) {
  auto booted = darkDevice(4);
  everyGesture(booted);
  EXPECT_EQ(actions(booted), 0u);
  EXPECT_EQ(tweaktest::wakes(booted), 0u);
}

TEST(HomeButtonWake, ModeMinusOneDoesNothing) {
  auto booted = darkDevice(-1);
  everyGesture(booted);
  EXPECT_EQ(actions(booted), 0u);
  EXPECT_EQ(tweaktest::wakes(booted), 0u);
}

TEST(HomeButtonWake, TheTimedOutFeatureLetsNoGestureAct) {
  auto booted = darkDevice(0);
  *booted.tweak->disabled = YES;
  for (int mode = 0; mode < 4; ++mode) {
    *booted.tweak->tapToWakeMode = mode;
    everyGesture(booted);
  }
  EXPECT_EQ(actions(booted), 0u);
  EXPECT_EQ(tweaktest::wakes(booted), 0u);
  EXPECT_EQ(hostDoublePresses(booted), 8u) << "the host's own double press still runs: the double press and the tap-hold";
}

TEST(HomeButtonWake, AFingerprintEventThatDisablesActionsBlocksTheWakeButNotTheHostsDoublePress) {
  auto booted = darkDevice(1);
  booted.device->reportBiometricEvent(2);
  ASSERT_EQ(*booted.tweak->disableActions, YES);
  doublePress(*booted.device);
  EXPECT_FALSE(booted.device->displayOn());
  EXPECT_EQ(actions(booted), 1u) << "asked, and it declined";
  EXPECT_EQ(hostDoublePresses(booted), 1u);
  booted.device->reportBiometricEvent(1);
  booted.device->runFor(1.0);
  doublePress(*booted.device);
  EXPECT_TRUE(booted.device->displayOn());
}

TEST(HomeButtonWake, TheVibrationComesOnlyWithAWakeAndJustBeforeIt) {
  auto booted = darkDevice(0, {{"isVibrationEnabled", true}, {"vibrationDuration", 45}});
  booted.device->clickHomeButton();
  booted.device->runFor(1.0);
  const auto& events = booted.device->log().events();
  std::size_t vibration = 0, wake = 0;
  for (std::size_t i = 0; i < events.size(); ++i) {
    if (events[i].kind == "vibration") vibration = i;
    if (events[i].kind == "display" && events[i].text == "on") wake = i;
  }
  ASSERT_NE(vibration, 0u);
  EXPECT_LT(vibration, wake);
  EXPECT_EQ(events[vibration].fields["VibePattern"], nlohmann::json::parse("[true, 45]"));

  booted.device->clickHomeButton();  // lit: no wake, no vibration
  booted.device->runFor(1.0);
  EXPECT_EQ(booted.device->log().count("vibration"), 1u);
  EXPECT_EQ(actions(booted), 2u);
}

TEST(HomeButtonWake, LowPowerModeNeitherWakesNorVibrates) {
  auto booted = darkDevice(2, {{"isVibrationEnabled", true}});
  booted.device->setLowPowerMode(true);
  booted.device->clickHomeButton(1.0);
  booted.device->runFor(1.0);
  EXPECT_FALSE(booted.device->displayOn());
  EXPECT_EQ(booted.device->log().count("vibration"), 0u);
}

TEST(HomeButtonWake, AHostThatLightsTheDisplayOnAPressLeavesTheTweakNothingToDo) {
  device::BootOptions options;
  options.homeButtonWakesDisplay = true;
  auto booted = darkDevice(0, {}, options);
  booted.device->clickHomeButton();
  EXPECT_TRUE(booted.device->displayOn()) << "lit as the press went down";
  booted.device->runFor(1.0);
  EXPECT_EQ(actions(booted), 1u);
  EXPECT_EQ(booted.device->log().count("display", "on"), 1u);
}

TEST(HomeButtonHost, AClickOnALitUnlockedDeviceClosesControlCenterThenGoesHome) {
  auto booted = tweaktest::boot(plist::Dictionary{{"isEnabled", true}});
  ASSERT_TRUE(booted.device->openControlCenter());
  booted.device->clickHomeButton();
  EXPECT_FALSE(booted.device->controlCenterOpen());
  EXPECT_EQ(booted.device->log().count("screen", "home screen"), 0u);
  booted.device->clickHomeButton();
  EXPECT_EQ(booted.device->log().count("screen", "home screen"), 1u);
  booted.device->pressLockButton();
  booted.device->pressLockButton();  // the lit lock screen
  booted.device->clickHomeButton();
  EXPECT_EQ(booted.device->log().count("screen", "home screen"), 1u) << "nothing on the lock screen";
  EXPECT_TRUE(booted.device->lockScreenUp());
}

TEST(Recognizers, TwoCreationsMakeSixAllAttachedAndTheConfigurationHoldsTheLastThree) {
  auto booted = tweaktest::boot(homeButtonMode(0));
  id button = springboard::homeHardwareButton();
  id built = configuration();
  id firstSingle = recognizer("singleTapGestureRecognizer");
  ASSERT_NE(firstSingle, nil);
  ASSERT_EQ(frontboard::attachedRecognizers().size(), 4u) << "the host's double tap and the tweak's three";
  send<void(id)>(button, "_createGestureRecognizersWithConfiguration:"_sel, built);
  EXPECT_EQ(frontboard::attachedRecognizers().size(), 7u) << "the host's again (attached already) and three new";
  EXPECT_NE(recognizer("singleTapGestureRecognizer"), firstSingle);
  std::size_t tweaks = 0;
  for (const objc::Ref& attached : frontboard::attachedRecognizers()) {
    tweaks += attached.get() != send<id()>(built, "doubleTapUpGestureRecognizer"_sel);
  }
  EXPECT_EQ(tweaks, 6u);
  for (const char* getter : {"singleTapGestureRecognizer", "longTapGestureRecognizer", "tapAndHoldTapGestureRecognizer"}) {
    id current = recognizer(getter);
    const auto& all = frontboard::attachedRecognizers();
    EXPECT_EQ(all.end() - std::find(all.begin(), all.end(), current) <= 3, true) << getter << " is one of the last three";
  }
}

TEST(Recognizers, TheirSettingsFollowTheHostsDoubleTapAndTheButton) {
  auto booted = tweaktest::boot(homeButtonMode(0));
  id button = springboard::homeHardwareButton();
  id doubleTap = recognizer("doubleTapUpGestureRecognizer");
  id single = recognizer("singleTapGestureRecognizer");
  id longTap = recognizer("longTapGestureRecognizer");
  id tapAndHold = recognizer("tapAndHoldTapGestureRecognizer");
  EXPECT_EQ(objc::nameOf(objc::classOf(single)), std::string("SBHBDoubleTapUpGestureRecognizer"));
  EXPECT_EQ(send<long long()>(single, "clickCount"_sel), 1);
  EXPECT_EQ(send<unsigned long()>(longTap, "numberOfTapsRequired"_sel), 0u);
  EXPECT_EQ(send<unsigned long()>(tapAndHold, "numberOfTapsRequired"_sel), 1u);
  for (id r : {single, longTap, tapAndHold}) {
    EXPECT_EQ(send<id()>(r, "delegate"_sel), button);
    EXPECT_EQ(foundation::toValue(send<id()>(r, "allowedPressTypes"_sel)),
              foundation::toValue(send<id()>(doubleTap, "allowedPressTypes"_sel)));
  }
  EXPECT_EQ(foundation::toValue(send<id()>(doubleTap, "allowedPressTypes"_sel)),
            plist::Value(plist::Array{plist::Value(hardware::kHomePressType)}));
  EXPECT_DOUBLE_EQ(send<double()>(longTap, "minimumPressDuration"_sel), 0.4);
  EXPECT_DOUBLE_EQ(send<double()>(tapAndHold, "minimumPressDuration"_sel), 0.4);
}

TEST(Recognizers, AConfigurationHoldingAllThreeGetsNoneMore) {
  auto booted = tweaktest::boot(homeButtonMode(0));
  const std::size_t attached = frontboard::attachedRecognizers().size();
  id single = recognizer("singleTapGestureRecognizer");
  send<void(id)>(springboard::homeHardwareButton(), "setGestureRecognizerConfiguration:"_sel, configuration());
  EXPECT_EQ(frontboard::attachedRecognizers().size(), attached);
  EXPECT_EQ(recognizer("singleTapGestureRecognizer"), single);

  // A configuration lacking one gets only that one.
  send<void(id)>(configuration(), "setLongTapGestureRecognizer:"_sel, nil);
  send<void(id)>(springboard::homeHardwareButton(), "setGestureRecognizerConfiguration:"_sel, configuration());
  EXPECT_EQ(frontboard::attachedRecognizers().size(), attached + 1);
  EXPECT_NE(recognizer("longTapGestureRecognizer"), nil);
  EXPECT_EQ(recognizer("singleTapGestureRecognizer"), single);
}

TEST(Recognizers, WithTheSettingOffTheButtonIsTheHostsAloneUntilItIsRebuilt) {
  auto booted = tweaktest::boot(plist::Dictionary{{"isEnabled", true}});
  EXPECT_EQ(frontboard::attachedRecognizers().size(), 1u);
  EXPECT_EQ(recognizer("singleTapGestureRecognizer"), nil);
  *booted.tweak->isAllowTapOnScreenOffEnabled = YES;
  booted.device->clickHomeButton();
  EXPECT_EQ(recognizer("singleTapGestureRecognizer"), nil) << "the setting is read only when recognizers are made";
  booted.device->rebuildHomeButtonGestures();
  EXPECT_NE(recognizer("singleTapGestureRecognizer"), nil);
  EXPECT_EQ(frontboard::attachedRecognizers().size(), 5u);
}

BOOL hostAnswer = NO;
int hostQuestions = 0;
BOOL hostShouldRecognizeSimultaneously(id, SEL, id, id) {
  ++hostQuestions;
  return hostAnswer;
}

TEST(Recognizers, OnlyTheFourPairsAreForcedAndTheRestIsTheHostsAnswer) {
  device::BootOptions options;
  options.beforeLoad = [] {
    method_setImplementation(class_getInstanceMethod(objc::getClass("SBHomeHardwareButton"),
                                                     "gestureRecognizer:shouldRecognizeSimultaneouslyWithGestureRecognizer:"_sel),
                             objc::toImp(&hostShouldRecognizeSimultaneously));
  };
  auto booted = tweaktest::boot(homeButtonMode(0), options);
  id button = springboard::homeHardwareButton();
  id s = recognizer("singleTapGestureRecognizer"), l = recognizer("longTapGestureRecognizer");
  id t = recognizer("tapAndHoldTapGestureRecognizer"), d = recognizer("doubleTapUpGestureRecognizer");
  auto ask = [button](id a, id b) {
    return send<BOOL(id, id)>(button, "gestureRecognizer:shouldRecognizeSimultaneouslyWithGestureRecognizer:"_sel, a, b);
  };
  hostQuestions = 0;
  EXPECT_TRUE(ask(s, l));
  EXPECT_TRUE(ask(l, s));
  EXPECT_TRUE(ask(d, t));
  EXPECT_TRUE(ask(t, d));
  EXPECT_EQ(hostQuestions, 0);
  EXPECT_FALSE(ask(s, d));
  EXPECT_FALSE(ask(l, t));
  hostAnswer = YES;
  EXPECT_TRUE(ask(s, d)) << "single tap and double tap: the host's answer";
  EXPECT_EQ(hostQuestions, 3);
}

TEST(Recognizers, TheOlderGestureManagerAttachesThroughTheDisplay) {
  device::BootOptions options;
  options.gestureManager = frontboard::GestureManager::Older;
  auto booted = darkDevice(0, {}, options);
  EXPECT_EQ(frontboard::attachedRecognizers().size(), 4u);
  EXPECT_EQ(booted.device->log().count("host", "-[FBSystemGestureManager addGestureRecognizer:toDisplay:] "
                                              "SBHBDoubleTapUpGestureRecognizer(singleTapUpFired:)"),
            1u);
  booted.device->clickHomeButton();
  booted.device->runFor(1.0);
  EXPECT_TRUE(booted.device->displayOn());
}

TEST(Recognizers, WithoutTheHostsDoubleTapClassThereIsNoSingleTapButTheHoldsWork) {
  device::BootOptions options;
  options.absentClasses = {"SBHBDoubleTapUpGestureRecognizer"};
  auto booted = darkDevice(2, {}, options);
  EXPECT_EQ(recognizer("singleTapGestureRecognizer"), nil);
  EXPECT_EQ(frontboard::attachedRecognizers().size(), 2u);
  booted.device->clickHomeButton(1.0);
  EXPECT_TRUE(booted.device->displayOn());
}

TEST(Recognizers, WithoutAGestureManagerTheyAreMadeButNeverAttached) {
  device::BootOptions options;
  options.absentClasses = {"FBSystemGestureManager"};
  auto booted = darkDevice(2, {}, options);
  EXPECT_NE(recognizer("longTapGestureRecognizer"), nil);
  EXPECT_TRUE(frontboard::attachedRecognizers().empty());
  booted.device->clickHomeButton(1.0);
  EXPECT_FALSE(booted.device->displayOn());
}

TEST(Recognizers, AGestureManagerObjectWithoutADisplayIdentityLeavesTheRecognizerUnattached) {
  auto booted = tweaktest::boot(homeButtonMode(2));
  objc::Ref stranger = objc::Ref::adopt(send<id()>(objc::getClass("NSObject"), "new"_sel));
  objc::Ref built = objc::Ref::adopt(send<id()>(objc::getClass("SBHomeHardwareButtonGestureRecognizerConfiguration"), "new"_sel));
  send<void(id)>(built, "setSystemGestureManager:"_sel, stranger.get());
  const std::size_t attached = frontboard::attachedRecognizers().size();
  send<void(id)>(springboard::homeHardwareButton(), "createLongTapGestureRecognizerWithConf:"_sel, built.get());
  EXPECT_NE(send<id()>(built, "longTapGestureRecognizer"_sel), nil) << "made and stored";
  EXPECT_EQ(frontboard::attachedRecognizers().size(), attached) << "no identity to give, no older message to try";
}

}  // namespace
