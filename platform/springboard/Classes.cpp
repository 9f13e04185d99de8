// SpringBoard's classes, each method a plain host implementation that does what the
// tweak relies on and records itself.

#include "platform/core/HostCall.h"
#include "platform/core/HostClasses.h"
#include "platform/hardware/Display.h"
#include "platform/hardware/Power.h"
#include "platform/objc/ClassBuilder.h"
#include "platform/objc/Ref.h"
#include "platform/objc/Singleton.h"
#include "platform/springboard/SpringBoard.h"
#include "platform/uikit/UIKit.h"

#include <cstdio>
#include <string>

namespace springboard {
namespace {

using namespace objc::literals;
using core::recordHostCall;

std::string yesNo(BOOL value) { return value ? "YES" : "NO"; }

std::string number(double value) {
  char text[32];
  std::snprintf(text, sizeof text, "%g", value);
  return text;
}

// SBLockScreenManager
void lockScreenViewControllerDidPresent(id self, SEL sel) { recordHostCall(self, sel); }
void lockScreenViewControllerDidDismiss(id self, SEL sel) { recordHostCall(self, sel); }

// SBDashBoardViewController
void displayWillTurnOnWhileOnDashBoard(id self, SEL sel, id) { recordHostCall(self, sel); }
void handleBiometricEvent(id self, SEL sel, long long event) {
  recordHostCall(self, sel, std::to_string(event), {{"event", event}});
}
void setInScreenOffMode(id self, SEL sel, BOOL screenOff, BOOL autoUnlock, int source) {
  recordHostCall(self, sel, yesNo(screenOff), {{"screenOff", screenOff == YES}, {"autoUnlock", autoUnlock == YES}, {"source", source}});
}
void finishUIUnlockFromSource(id self, SEL sel, int source) { recordHostCall(self, sel, "", {{"source", source}}); }

// SBBacklightController
BOOL screenIsOn(id, SEL) { return hardware::display().isOn() ? YES : NO; }
void preventIdleSleepForNumberOfSeconds(id self, SEL sel, float seconds) {
  recordHostCall(self, sel, number(seconds), {{"seconds", seconds}});
  core::record("idleSleep", "prevent for " + number(seconds) + " s", {{"seconds", seconds}});
  hardware::power().grantIdleSleepWindow(seconds);
}

// SBUIController, SBUIBiometricResource, SBIconController
BOOL isBatteryCharging(id, SEL) { return hardware::power().charging() ? YES : NO; }
void noteScreenDidTurnOff(id self, SEL sel) { recordHostCall(self, sel); }
id rootFolderController(id, SEL) { return nil; }

// SpringBoard, the application
void simulateLockButtonPress(id, SEL) { pressLockButton(true); }
void simulateHomeButtonPress(id, SEL) { pressHomeButton(true); }
void turnScreenOnOnDashBoardWithCompletion(id self, SEL sel, id) {
  recordHostCall(self, sel);
  turnScreenOnOverLockScreen("-[SpringBoard _turnScreenOnOnDashBoardWithCompletion:]");
}

// SBHomeHardwareButton and its gesture configuration
struct ButtonState {
  objc::Ref configuration;
};
void doubleTapUp(id self, SEL sel, id) { recordHostCall(self, sel); }
void createGestureRecognizers(id self, SEL sel, id) { recordHostCall(self, sel); }
void setGestureRecognizerConfiguration(id self, SEL sel, id configuration) {
  recordHostCall(self, sel);
  objc::stateOf<ButtonState>(self).configuration = objc::Ref(configuration);
}
id gestureRecognizerConfiguration(id self, SEL) { return objc::stateOf<ButtonState>(self).configuration; }
BOOL shouldRecognizeSimultaneously(id, SEL, id, id) { return NO; }
id nothing(id, SEL) { return nil; }

// Reachability
void toggleReachability(id self, SEL sel) { recordHostCall(self, sel); }
id initWithWallpaperVariant(id self, SEL sel, long long variant) {
  recordHostCall(self, sel, std::to_string(variant), {{"variant", variant}});
  return self;
}
void setYOffsetFactor(id self, SEL sel, double factor) {
  recordHostCall(self, sel, number(factor), {{"value", factor}});
}
void setSystemWideSwipeDownHeight(id self, SEL sel, double height) {
  recordHostCall(self, sel, number(height), {{"value", height}});
}

}  // namespace

void registerClasses() {
  uikit::registerClasses();
  core::defineHostClass("SpringBoard", [](objc::ClassBuilder& c) {
    c.method("_simulateLockButtonPress"_sel, &simulateLockButtonPress)
        .method("_simulateHomeButtonPress"_sel, &simulateHomeButtonPress)
        .method("_turnScreenOnOnDashBoardWithCompletion:"_sel, &turnScreenOnOnDashBoardWithCompletion);
  }, "UIApplication");
  core::defineHostClass("SBLockScreenManager", [](objc::ClassBuilder& c) {
    c.classMethod("sharedInstance"_sel, &objc::sharedInstanceMethod<"SBLockScreenManager">)
        .method("lockScreenViewControllerDidPresent"_sel, &lockScreenViewControllerDidPresent)
        .method("lockScreenViewControllerDidDismiss"_sel, &lockScreenViewControllerDidDismiss);
  });
  core::defineHostClass("SBDashBoardViewController", [](objc::ClassBuilder& c) {
    c.method("_displayWillTurnOnWhileOnDashBoard:"_sel, &displayWillTurnOnWhileOnDashBoard)
        .method("handleBiometricEvent:"_sel, &handleBiometricEvent)
        .method("setInScreenOffMode:forAutoUnlock:fromUnlockSource:"_sel, &setInScreenOffMode)
        .method("finishUIUnlockFromSource:"_sel, &finishUIUnlockFromSource);
  });
  core::defineHostClass("SBBacklightController", [](objc::ClassBuilder& c) {
    c.classMethod("sharedInstance"_sel, &objc::sharedInstanceMethod<"SBBacklightController">)
        .method("screenIsOn"_sel, &screenIsOn)
        .method("preventIdleSleepForNumberOfSeconds:"_sel, &preventIdleSleepForNumberOfSeconds);
  });
  core::defineHostClass("SBUIController", [](objc::ClassBuilder& c) {
    c.classMethod("sharedInstance"_sel, &objc::sharedInstanceMethod<"SBUIController">).method("isBatteryCharging"_sel, &isBatteryCharging);
  });
  core::defineHostClass("SBIconController", [](objc::ClassBuilder& c) {
    c.classMethod("sharedInstance"_sel, &objc::sharedInstanceMethod<"SBIconController">)
        .method("_rootFolderController"_sel, &rootFolderController);
  });
  core::defineHostClass("SBUIBiometricResource", [](objc::ClassBuilder& c) {
    c.classMethod("sharedInstance"_sel, &objc::sharedInstanceMethod<"SBUIBiometricResource">).method("noteScreenDidTurnOff"_sel, &noteScreenDidTurnOff);
  });
  core::defineHostClass("SBHomeHardwareButtonGestureRecognizerConfiguration", [](objc::ClassBuilder& c) {
    c.method("doubleTapUpGestureRecognizer"_sel, &nothing).method("systemGestureManager"_sel, &nothing);
  });
  core::defineHostClass("SBHBDoubleTapUpGestureRecognizer", [](objc::ClassBuilder&) {});
  core::defineHostClass("SBHomeHardwareButton", [](objc::ClassBuilder& c) {
    c.state<ButtonState>()
        .method("doubleTapUp:"_sel, &doubleTapUp)
        .method("_createGestureRecognizersWithConfiguration:"_sel, &createGestureRecognizers)
        .method("setGestureRecognizerConfiguration:"_sel, &setGestureRecognizerConfiguration)
        .method("gestureRecognizerConfiguration"_sel, &gestureRecognizerConfiguration)
        .method("gestureRecognizer:shouldRecognizeSimultaneouslyWithGestureRecognizer:"_sel,
                &shouldRecognizeSimultaneously);
  });
  core::defineHostClass("SBReachabilityManager", [](objc::ClassBuilder& c) {
    c.classMethod("sharedInstance"_sel, &objc::sharedInstanceMethod<"SBReachabilityManager">).method("toggleReachability"_sel, &toggleReachability);
  });
  core::defineHostClass("SBReachabilityWindow", [](objc::ClassBuilder& c) {
    c.method("initWithWallpaperVariant:"_sel, &initWithWallpaperVariant);
  });
  core::defineHostClass("SBReachabilitySettings", [](objc::ClassBuilder& c) {
    c.method("setYOffsetFactor:"_sel, &setYOffsetFactor)
        .method("setSystemWideSwipeDownHeight:"_sel, &setSystemWideSwipeDownHeight);
  });

  if (Class app = objc::getClass("SpringBoard")) {
    objc::Ref application = objc::Ref::adopt(objc::send<id()>(app, "new"_sel));
    uikit::setSharedApplication(application);
  }
}

}  // namespace springboard
