// The category `update` on CMMotionManager: the sampling timer and its action. Attached
// when the library loads, before any other initialiser of the tweak runs.

#include "platform/objc/ClassBuilder.h"
#include "tweak/Settings.h"
#include "tweak/State.h"
#include "tweak/host/Host.h"
#include "tweak/motion/Sampling.h"

namespace {

using namespace objc::literals;

// Starts the repeating sampling timer, unless one runs or the home-button mode is on.
void update(id self, SEL) {
  if (deviceMotionTimer != nil || isAllowTapOnScreenOffEnabled) return;
  deviceMotionTimer = host::scheduleTimer(updateInterval(), self, "updateData"_sel, YES);
}

// One classification step on the shared lock-screen manager; the receiver plays no part.
void updateData(id, SEL) { objc::send<void()>(host::lockScreenManager(), "getAcceleration"_sel); }

__attribute__((constructor(101))) void attachUpdateCategory() {
  Class cls = objc_getClass("CMMotionManager");
  objc::addMethod(cls, "update"_sel, &update, "v16@0:8");
  objc::addMethod(cls, "updateData"_sel, &updateData, "v16@0:8");
}

}  // namespace
