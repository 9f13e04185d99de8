#pragma once
// Replaced setters of SBReachabilitySettings: the offset factor and the swipe-down height
// are stored as 0.0 while reachability is switched off.

#include "platform/objc/Runtime.h"

namespace hooks::SBReachabilitySettings {
extern void (*orig_setYOffsetFactor)(id, SEL, double);
void setYOffsetFactor(id self, SEL _cmd, double factor);
extern void (*orig_setSystemWideSwipeDownHeight)(id, SEL, double);
void setSystemWideSwipeDownHeight(id self, SEL _cmd, double height);
}  // namespace hooks::SBReachabilitySettings
