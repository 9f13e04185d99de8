// SBUIController: whether the device is on external power.

#include "platform/core/HostCall.h"
#include "platform/core/HostClasses.h"
#include "platform/objc/ClassBuilder.h"
#include "platform/objc/Singleton.h"
#include "platform/springboard/Classes.h"
#include "platform/springboard/SpringBoard.h"
#include "platform/hardware/Power.h"

namespace springboard::detail {
namespace {
using namespace objc::literals;
BOOL isBatteryCharging(id self, SEL sel) {
  const bool charging = hardware::power().charging();
  core::recordAnswer(self, sel, charging);
  return charging ? YES : NO;
}
}  // namespace

void registerSBUIController() {
  core::defineHostClass("SBUIController", [](objc::ClassBuilder& c) {
    c.classMethod("sharedInstance"_sel, &objc::sharedInstanceMethod<"SBUIController">)
        .method("isBatteryCharging"_sel, &isBatteryCharging);
  });
}

}  // namespace springboard::detail
