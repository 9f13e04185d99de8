// SBReachabilitySettings: reachability's offset factor and swipe-down height, as stored.

#include "platform/core/HostCall.h"
#include "platform/core/HostClasses.h"
#include "platform/objc/ClassBuilder.h"
#include "platform/springboard/Classes.h"

namespace springboard::detail {

namespace {

using namespace objc::literals;
using core::recordHostCall;

struct SettingsState {
  double yOffsetFactor = 0;
  double systemWideSwipeDownHeight = 0;
};

SettingsState& settingsOf(id self) { return objc::stateOf<SettingsState>(self); }

void setYOffsetFactor(id self, SEL sel, double factor) {
  settingsOf(self).yOffsetFactor = factor;
  recordHostCall(self, sel, number(factor), {{"value", factor}});
}
void setSystemWideSwipeDownHeight(id self, SEL sel, double height) {
  settingsOf(self).systemWideSwipeDownHeight = height;
  recordHostCall(self, sel, number(height), {{"value", height}});
}
double yOffsetFactor(id self, SEL) { return settingsOf(self).yOffsetFactor; }
double systemWideSwipeDownHeight(id self, SEL) { return settingsOf(self).systemWideSwipeDownHeight; }

}  // namespace

void registerSBReachabilitySettings() {
  core::defineHostClass("SBReachabilitySettings", [](objc::ClassBuilder& c) {
    c.state<SettingsState>()
        .method("setYOffsetFactor:"_sel, &setYOffsetFactor)
        .method("setSystemWideSwipeDownHeight:"_sel, &setSystemWideSwipeDownHeight)
        .method("yOffsetFactor"_sel, &yOffsetFactor)
        .method("systemWideSwipeDownHeight"_sel, &systemWideSwipeDownHeight);
  });
}

}  // namespace springboard::detail
