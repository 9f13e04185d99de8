// The category `update` on CMMotionManager: the sampling timer and its action. Attached
// when the library loads, before any other initialiser of the tweak runs.

#include "tweak/motion/MotionManagerUpdate.h"

#include "platform/objc/Encoding.h"
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

constexpr const char* kNoArgumentsNoResult = "v16@0:8";
static_assert(objc::sameEncoding(objc::encodingOf(&update), kNoArgumentsNoResult));
static_assert(objc::sameEncoding(objc::encodingOf(&updateData), kNoArgumentsNoResult));

}  // namespace

void attachUpdateCategory() {
  Class cls = objc_getClass("CMMotionManager");
  class_addMethod(cls, "update"_sel, objc::toImp(&update), kNoArgumentsNoResult);
  class_addMethod(cls, "updateData"_sel, objc::toImp(&updateData), kNoArgumentsNoResult);
}
