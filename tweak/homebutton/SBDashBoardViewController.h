#pragma once
// Replaced methods of SBDashBoardViewController: the lock-screen moments that keep the
// run-time flags in step (screen-off, display on, fingerprint events, unlock).

#include "platform/objc/Runtime.h"

namespace hooks::SBDashBoardViewController {

extern void (*orig_displayWillTurnOnWhileOnDashBoard)(id, SEL, id);
void displayWillTurnOnWhileOnDashBoard(id self, SEL _cmd, id argument);
extern void (*orig_handleBiometricEvent)(id, SEL, long long);
void handleBiometricEvent(id self, SEL _cmd, long long event);
extern void (*orig_setInScreenOffMode)(id, SEL, BOOL, BOOL, int);
void setInScreenOffMode(id self, SEL _cmd, BOOL screenOff, BOOL autoUnlock, int source);
extern void (*orig_finishUIUnlockFromSource)(id, SEL, int);
void finishUIUnlockFromSource(id self, SEL _cmd, int source);

}  // namespace hooks::SBDashBoardViewController
