#include "tweak/homebutton/SBReachabilitySettings.h"

#include "tweak/Settings.h"

namespace hooks::SBReachabilitySettings {

void (*orig_setYOffsetFactor)(id, SEL, double) = nullptr;
void (*orig_setSystemWideSwipeDownHeight)(id, SEL, double) = nullptr;

void setYOffsetFactor(id self, SEL _cmd, double factor) {
  orig_setYOffsetFactor(self, _cmd, isReachavilityDisabled ? 0.0 : factor);
}

void setSystemWideSwipeDownHeight(id self, SEL _cmd, double height) {
  orig_setSystemWideSwipeDownHeight(self, _cmd, isReachavilityDisabled ? 0.0 : height);
}

}  // namespace hooks::SBReachabilitySettings
