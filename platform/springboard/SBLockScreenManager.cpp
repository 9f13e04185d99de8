// SBLockScreenManager: told when the lock screen has been presented and dismissed.

#include "platform/core/HostCall.h"
#include "platform/core/HostClasses.h"
#include "platform/objc/ClassBuilder.h"
#include "platform/objc/Singleton.h"
#include "platform/springboard/Classes.h"
#include "platform/springboard/SpringBoard.h"

namespace springboard::detail {
namespace {

using namespace objc::literals;
using core::recordHostCall;

void lockScreenViewControllerDidPresent(id self, SEL sel) { recordHostCall(self, sel); }
void lockScreenViewControllerDidDismiss(id self, SEL sel) { recordHostCall(self, sel); }

}  // namespace

void registerSBLockScreenManager() {
  core::defineHostClass("SBLockScreenManager", [](objc::ClassBuilder& c) {
    c.classMethod("sharedInstance"_sel, &objc::sharedInstanceMethod<"SBLockScreenManager">)
        .method("lockScreenViewControllerDidPresent"_sel, &lockScreenViewControllerDidPresent)
        .method("lockScreenViewControllerDidDismiss"_sel, &lockScreenViewControllerDidDismiss);
  });
}

}  // namespace springboard::detail
