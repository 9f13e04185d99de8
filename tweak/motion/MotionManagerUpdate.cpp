// The category `update` on CMMotionManager: the sampling timer and its action. Attached
// when the library loads, before any other initialiser of the tweak runs.

#include "platform/objc/ClassBuilder.h"

namespace {

using namespace objc::literals;

void update(id, SEL) {}
void updateData(id, SEL) {}

__attribute__((constructor(101))) void attachUpdateCategory() {
  Class cls = objc_getClass("CMMotionManager");
  objc::addMethod(cls, "update"_sel, &update, "v16@0:8");
  objc::addMethod(cls, "updateData"_sel, &updateData, "v16@0:8");
}

}  // namespace
