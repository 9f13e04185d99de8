#include "tweak/homebutton/SBDashBoardViewController.h"

#include "platform/objc/Message.h"
#include "tweak/Settings.h"
#include "tweak/State.h"
#include "tweak/host/Host.h"
#include "tweak/motion/Sampling.h"

using namespace objc::literals;
using objc::send;

namespace hooks::SBDashBoardViewController {

namespace {

// 3 s after the display turned on, in the home-button mode: waking is armed again. The
// time-out's reference stays, so no new time-out starts before an unlock empties it.
void reEnable() {
  disabled = NO;
  send<void()>(disableMotionDetector2, "invalidate"_sel);
}

// 0.5 s after the display turned on, in the home-button mode.
void closeScreenOffWindow() {
  reachavilityDisabled = NO;
  if (isMotionDetectorReEnabled) host::dispatchAfter(2.5, reEnable);
}

// 3 s after the display turned on, in the motion mode: sampling goes on if it stopped,
// with the stored source and the interval it had.
void restartMotion() {
  id manager = host::lockScreenManager();
  id source = send<id()>(manager, "motionManager"_sel);
  if (send<BOOL()>(source, "isDeviceMotionActive"_sel)) return;
  send<void()>(source, "update"_sel);
  startDeliveries(source, manager);
}

}  // namespace

void (*orig_displayWillTurnOnWhileOnDashBoard)(id, SEL, id) = nullptr;
void (*orig_handleBiometricEvent)(id, SEL, long long) = nullptr;
void (*orig_setInScreenOffMode)(id, SEL, BOOL, BOOL, int) = nullptr;
void (*orig_finishUIUnlockFromSource)(id, SEL, int) = nullptr;

void displayWillTurnOnWhileOnDashBoard(id self, SEL _cmd, id argument) {
  orig_displayWillTurnOnWhileOnDashBoard(self, _cmd, argument);
  if (!isEnabled || host::isLowPowerModeEnabled()) return;
  if (isAllowTapOnScreenOffEnabled) {
    host::dispatchAfter(0.5, closeScreenOffWindow);
  } else if (isMotionDetectorReEnabled) {
    host::dispatchAfter(3.0, restartMotion);
  }
}

void handleBiometricEvent(id self, SEL _cmd, long long event) {
  orig_handleBiometricEvent(self, _cmd, event);
  if (isEnabled && isAllowTapOnScreenOffEnabled && !host::screenIsOn() && !host::isLowPowerModeEnabled() && !disabled) {
    disableActions = (event != 0 && event != 1) ? YES : NO;
  }
}

void setInScreenOffMode(id self, SEL _cmd, BOOL screenOff, BOOL autoUnlock, int source) {
  orig_setInScreenOffMode(self, _cmd, screenOff, autoUnlock, source);
  if (isEnabled && screenOff) {
    if (isAllowTapOnScreenOffEnabled) reachavilityDisabled = YES;
    isLocked = YES;
  }
}

void finishUIUnlockFromSource(id self, SEL _cmd, int source) {
  orig_finishUIUnlockFromSource(self, _cmd, source);
  if (!isEnabled) return;
  isLocked = NO;
  if (isAllowTapOnScreenOffEnabled) {
    disabled = NO;
    host::endTimer(disableMotionDetector2);
  }
}

}  // namespace hooks::SBDashBoardViewController
