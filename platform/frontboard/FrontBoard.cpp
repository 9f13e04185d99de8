#include "platform/frontboard/FrontBoard.h"

#include "platform/core/HostCall.h"
#include "platform/core/HostClasses.h"
#include "platform/objc/ClassBuilder.h"
#include "platform/objc/Singleton.h"

namespace frontboard {
namespace {
using namespace objc::literals;
void addGestureRecognizerToDisplayWithIdentity(id self, SEL sel, id, id) { core::recordHostCall(self, sel); }
}  // namespace

void registerClasses() {
  core::defineHostClass("FBSystemGestureManager", [](objc::ClassBuilder& c) {
    c.classMethod("sharedInstance"_sel, &objc::sharedInstanceMethod<"FBSystemGestureManager">)
        .method("addGestureRecognizer:toDisplayWithIdentity:"_sel, &addGestureRecognizerToDisplayWithIdentity);
  });
}

}  // namespace frontboard
