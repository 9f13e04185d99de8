// SBReachabilityManager: the host's reachability toggle.

#include "platform/core/HostCall.h"
#include "platform/core/HostClasses.h"
#include "platform/objc/ClassBuilder.h"
#include "platform/objc/Singleton.h"
#include "platform/springboard/Classes.h"
#include "platform/springboard/SpringBoard.h"

namespace springboard::detail {
namespace {
using namespace objc::literals;
void toggleReachability(id self, SEL sel) { core::recordHostCall(self, sel); }
}  // namespace

void registerSBReachabilityManager() {
  core::defineHostClass("SBReachabilityManager", [](objc::ClassBuilder& c) {
    c.classMethod("sharedInstance"_sel, &objc::sharedInstanceMethod<"SBReachabilityManager">)
        .method("toggleReachability"_sel, &toggleReachability);
  });
}

}  // namespace springboard::detail
