// SBSystemGestureManager: SpringBoard's way to a display's system gestures. It keeps the
// display's identity in the instance variable _displayIdentity and gives the display.

#include "platform/core/HostClasses.h"
#include "platform/frontboard/FrontBoard.h"
#include "platform/objc/ClassBuilder.h"
#include "platform/objc/Ivar.h"
#include "platform/objc/Ref.h"
#include "platform/objc/Singleton.h"
#include "platform/springboard/Classes.h"

namespace springboard::detail {

namespace {

using namespace objc::literals;

id init(id self, SEL) {
  if (id* identity = objc::ivarPointer<id>(self, "_displayIdentity")) *identity = objc::retain(frontboard::mainDisplayIdentity());
  return self;
}

id display(id, SEL) { return frontboard::mainDisplay(); }

}  // namespace

void registerSBSystemGestureManager() {
  core::defineHostClass("SBSystemGestureManager", [](objc::ClassBuilder& c) {
    c.strongIvar("_displayIdentity")
        .classMethod("mainDisplayManager"_sel, &objc::sharedInstanceMethod<"SBSystemGestureManager">)
        .method("init"_sel, &init)
        .method("display"_sel, &display);
  });
}

}  // namespace springboard::detail
