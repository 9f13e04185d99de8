// SpringBoard's lock flows, in the order the device runs them.

#include "platform/core/EventLog.h"
#include "platform/hardware/Display.h"
#include "platform/hardware/Power.h"
#include "platform/objc/Message.h"
#include "platform/objc/Singleton.h"
#include "platform/springboard/Classes.h"
#include "platform/springboard/SpringBoard.h"

namespace springboard {
namespace {

using namespace objc::literals;
using objc::send;
using detail::shared;

void goDark() {
  objc::sendIfImplemented<void(BOOL, BOOL, int)>(shared("SBDashBoardViewController"), "setInScreenOffMode:forAutoUnlock:fromUnlockSource:"_sel,
                              YES, NO, 0);
  objc::sendIfImplemented<void()>(shared("SBUIBiometricResource"), "noteScreenDidTurnOff"_sel);
  if (!state().lockScreenUp) {
    state().lockScreenUp = true;
    objc::sendIfImplemented<void()>(shared("SBLockScreenManager"), "lockScreenViewControllerDidPresent"_sel);
  }
  hardware::display().set(false, "SpringBoard");
  objc::sendIfImplemented<void(float)>(shared("SBBacklightController"), "preventIdleSleepForNumberOfSeconds:"_sel, state().idleSleepRequest);
}

}  // namespace

HostState& state() {
  static HostState current;
  return current;
}

void turnScreenOnOverLockScreen(const char* cause) {
  if (hardware::display().isOn()) return;
  objc::sendIfImplemented<void(id)>(shared("SBDashBoardViewController"), "_displayWillTurnOnWhileOnDashBoard:"_sel, nil);
  hardware::display().set(true, cause);
}

void pressLockButton(bool simulated) {
  core::record("button", simulated ? "lock (simulated)" : "lock", {{"button", "lock"}, {"simulated", simulated}});
  if (hardware::display().isOn()) {
    goDark();
  } else {
    turnScreenOnOverLockScreen(simulated ? "lock button (simulated)" : "lock button");
  }
}

void simulateHomeButtonPress() {
  core::record("button", "home (simulated)", {{"button", "home"}, {"simulated", true}});
  if (!hardware::display().isOn()) {
    turnScreenOnOverLockScreen("home button (simulated)");
  } else {
    detail::homeClickOnLitDisplay();
  }
}

void reportBiometricEvent(long long event) {
  objc::sendIfImplemented<void(long long)>(shared("SBDashBoardViewController"), "handleBiometricEvent:"_sel, event);
}

void reportScreenOffMode(bool screenOff) {
  objc::sendIfImplemented<void(BOOL, BOOL, int)>(shared("SBDashBoardViewController"), "setInScreenOffMode:forAutoUnlock:fromUnlockSource:"_sel,
                              screenOff ? YES : NO, NO, 0);
}

bool presentLockScreenAgain() {
  if (!state().lockScreenUp) return false;
  objc::sendIfImplemented<void()>(shared("SBLockScreenManager"), "lockScreenViewControllerDidPresent"_sel);
  return true;
}

void toggleReachability() { objc::sendIfImplemented<void()>(reachabilityManager(), "toggleReachability"_sel); }

bool unlock() {
  if (!hardware::display().isOn() || !state().lockScreenUp) return false;
  objc::sendIfImplemented<void(int)>(shared("SBDashBoardViewController"), "finishUIUnlockFromSource:"_sel, 0);
  state().lockScreenUp = false;
  objc::sendIfImplemented<void()>(shared("SBLockScreenManager"), "lockScreenViewControllerDidDismiss"_sel);
  core::record("unlock", "unlocked", {{"locked", false}});
  return true;
}

}  // namespace springboard
