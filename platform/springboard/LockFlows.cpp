// SpringBoard's lock flows, in the order the device runs them.

#include "platform/core/EventLog.h"
#include "platform/core/RunLoop.h"
#include "platform/objc/Message.h"
#include "platform/objc/Singleton.h"
#include "platform/springboard/SpringBoard.h"

namespace springboard {
namespace {

using namespace objc::literals;
using objc::send;

id shared(const char* className) {
  Class cls = objc::getClass(className);
  return cls ? objc::sharedInstanceOf(objc::asId(cls)) : nil;
}

core::RunLoop::WorkId pendingSleep = 0;

void setDisplay(bool on) {
  state().displayOn = on;
  core::record("display", on ? "on" : "off", {{"on", on}});
  if (on && state().asleep) {
    state().asleep = false;
    core::record("sleep", "awake", {{"asleep", false}});
  }
}

// Timers and sensor readings wait while the device sleeps; everything else runs.
bool mayRun(core::RunLoop::Source source) {
  return !state().asleep || (source != core::RunLoop::Source::Timer && source != core::RunLoop::Source::Sensor);
}

void goDark() {
  send<void(BOOL, BOOL, int)>(shared("SBDashBoardViewController"), "setInScreenOffMode:forAutoUnlock:fromUnlockSource:"_sel,
                              YES, NO, 0);
  send<void()>(shared("SBUIBiometricResource"), "noteScreenDidTurnOff"_sel);
  if (!state().lockScreenUp) {
    state().lockScreenUp = true;
    send<void()>(shared("SBLockScreenManager"), "lockScreenViewControllerDidPresent"_sel);
  }
  setDisplay(false);
  send<void(float)>(shared("SBBacklightController"), "preventIdleSleepForNumberOfSeconds:"_sel, state().idleSleepRequest);
}

}  // namespace

HostState& state() {
  static HostState current;
  return current;
}

void grantIdleSleepWindow(float seconds) {
  if (!state().sleepsWhenIdle || state().displayOn) return;
  static const bool gateInstalled = (core::RunLoop::main().setGate(&mayRun), true);
  (void)gateInstalled;
  if (pendingSleep != 0) core::RunLoop::main().cancel(pendingSleep);
  pendingSleep = core::RunLoop::main().scheduleAfter(seconds, core::RunLoop::Source::Input, [] {
    pendingSleep = 0;
    if (state().displayOn || state().asleep) return;
    state().asleep = true;
    core::record("sleep", "asleep", {{"asleep", true}});
  });
}

void turnScreenOnOverLockScreen() {
  if (state().displayOn) return;
  send<void(id)>(shared("SBDashBoardViewController"), "_displayWillTurnOnWhileOnDashBoard:"_sel, nil);
  setDisplay(true);
}

void pressLockButton(bool simulated) {
  core::record("button", simulated ? "lock (simulated)" : "lock", {{"button", "lock"}, {"simulated", simulated}});
  if (state().displayOn) {
    goDark();
  } else {
    turnScreenOnOverLockScreen();
  }
}

void pressHomeButton(bool simulated) {
  core::record("button", simulated ? "home (simulated)" : "home", {{"button", "home"}, {"simulated", simulated}});
  if (!state().displayOn) turnScreenOnOverLockScreen();
}

bool unlock() {
  if (!state().displayOn || !state().lockScreenUp) return false;
  send<void(int)>(shared("SBDashBoardViewController"), "finishUIUnlockFromSource:"_sel, 0);
  state().lockScreenUp = false;
  send<void()>(shared("SBLockScreenManager"), "lockScreenViewControllerDidDismiss"_sel);
  core::record("unlock", "unlocked", {{"locked", false}});
  return true;
}

void setCharging(bool charging) {
  state().charging = charging;
  core::record("power", charging ? "charging" : "unplugged", {{"charging", charging}});
}

void setCallInProgress(bool inCall) {
  state().callInProgress = inCall;
  core::record("call", inCall ? "in progress" : "ended", {{"inCall", inCall}});
}

}  // namespace springboard
