#pragma once
// Replaced and added methods of SBLockScreenManager: the motion sampling run and the
// classification of each reading.

#include "platform/objc/Runtime.h"

namespace hooks::SBLockScreenManager {

extern void (*orig_lockScreenViewControllerDidPresent)(id, SEL);
void lockScreenViewControllerDidPresent(id self, SEL _cmd);
extern void (*orig_lockScreenViewControllerDidDismiss)(id, SEL);
void lockScreenViewControllerDidDismiss(id self, SEL _cmd);

void getAcceleration(id self, SEL _cmd);
void updateMotionType(id self, SEL _cmd);
void disableDetection(id self, SEL _cmd);
id motionManager(id self, SEL _cmd);
void setMotionManager(id self, SEL _cmd, id manager);

}  // namespace hooks::SBLockScreenManager
