// SBBacklightController: whether the display is lit, and the idle-sleep window.

#include "platform/core/HostCall.h"
#include "platform/core/HostClasses.h"
#include "platform/objc/ClassBuilder.h"
#include "platform/objc/Singleton.h"
#include "platform/springboard/Classes.h"
#include "platform/springboard/SpringBoard.h"
#include "platform/hardware/Display.h"
#include "platform/hardware/Power.h"

namespace springboard::detail {
namespace {

using namespace objc::literals;
using core::recordHostCall;

BOOL screenIsOn(id self, SEL sel) {
  const bool on = hardware::display().isOn();
  core::recordAnswer(self, sel, on);
  return on ? YES : NO;
}
void preventIdleSleepForNumberOfSeconds(id self, SEL sel, float seconds) {
  recordHostCall(self, sel, number(seconds), {{"seconds", seconds}});
  core::record("idleSleep", "prevent for " + number(seconds) + " s", {{"seconds", seconds}});
  hardware::power().grantIdleSleepWindow(seconds);
}

}  // namespace

void registerSBBacklightController() {
  core::defineHostClass("SBBacklightController", [](objc::ClassBuilder& c) {
    c.classMethod("sharedInstance"_sel, &objc::sharedInstanceMethod<"SBBacklightController">)
        .method("screenIsOn"_sel, &screenIsOn)
        .method("preventIdleSleepForNumberOfSeconds:"_sel, &preventIdleSleepForNumberOfSeconds);
  });
}

}  // namespace springboard::detail
