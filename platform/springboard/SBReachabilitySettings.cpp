// SBReachabilitySettings: reachability's offset factor and swipe-down height.

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
void setYOffsetFactor(id self, SEL sel, double factor) { recordHostCall(self, sel, number(factor), {{"value", factor}}); }
void setSystemWideSwipeDownHeight(id self, SEL sel, double height) {
  recordHostCall(self, sel, number(height), {{"value", height}});
}
}  // namespace

void registerSBReachabilitySettings() {
  core::defineHostClass("SBReachabilitySettings", [](objc::ClassBuilder& c) {
    c.method("setYOffsetFactor:"_sel, &setYOffsetFactor)
        .method("setSystemWideSwipeDownHeight:"_sel, &setSystemWideSwipeDownHeight);
  });
}

}  // namespace springboard::detail
