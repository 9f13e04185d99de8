#include "tweak/homebutton/SBDashBoardViewController.h"

namespace hooks::SBDashBoardViewController {

void (*orig_displayWillTurnOnWhileOnDashBoard)(id, SEL, id) = nullptr;
void (*orig_handleBiometricEvent)(id, SEL, long long) = nullptr;
void (*orig_setInScreenOffMode)(id, SEL, BOOL, BOOL, int) = nullptr;
void (*orig_finishUIUnlockFromSource)(id, SEL, int) = nullptr;

void displayWillTurnOnWhileOnDashBoard(id self, SEL _cmd, id argument) {
  orig_displayWillTurnOnWhileOnDashBoard(self, _cmd, argument);
}

void handleBiometricEvent(id self, SEL _cmd, long long event) { orig_handleBiometricEvent(self, _cmd, event); }

void setInScreenOffMode(id self, SEL _cmd, BOOL screenOff, BOOL autoUnlock, int source) {
  orig_setInScreenOffMode(self, _cmd, screenOff, autoUnlock, source);
}

void finishUIUnlockFromSource(id self, SEL _cmd, int source) { orig_finishUIUnlockFromSource(self, _cmd, source); }

}  // namespace hooks::SBDashBoardViewController
