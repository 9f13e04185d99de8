#include "tweak/motion/SBLockScreenManager.h"

#include "platform/objc/Associated.h"

namespace hooks::SBLockScreenManager {

namespace {
// The address is the key of the motion source attached to the manager.
const char motionManagerKey = 0;
}  // namespace

void (*orig_lockScreenViewControllerDidPresent)(id, SEL) = nullptr;
void (*orig_lockScreenViewControllerDidDismiss)(id, SEL) = nullptr;

void lockScreenViewControllerDidPresent(id self, SEL _cmd) { orig_lockScreenViewControllerDidPresent(self, _cmd); }

void lockScreenViewControllerDidDismiss(id self, SEL _cmd) { orig_lockScreenViewControllerDidDismiss(self, _cmd); }

void getAcceleration(id, SEL) {}
void updateMotionType(id, SEL) {}
void disableDetection(id, SEL) {}

id motionManager(id self, SEL) { return objc_getAssociatedObject(self, &motionManagerKey); }

void setMotionManager(id self, SEL, id manager) {
  objc_setAssociatedObject(self, &motionManagerKey, manager, OBJC_ASSOCIATION_RETAIN_NONATOMIC);
}

}  // namespace hooks::SBLockScreenManager
