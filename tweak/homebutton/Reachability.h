#pragma once
// Replaced methods of SBReachabilityManager, SBReachabilityWindow and
// SBReachabilitySettings: reachability suppression.

#include "platform/objc/Runtime.h"

namespace hooks::SBReachabilityManager {
extern void (*orig_toggleReachability)(id, SEL);
void toggleReachability(id self, SEL _cmd);
}  // namespace hooks::SBReachabilityManager

namespace hooks::SBReachabilityWindow {
extern id (*orig_initWithWallpaperVariant)(id, SEL, long long);
id initWithWallpaperVariant(id self, SEL _cmd, long long variant);
}  // namespace hooks::SBReachabilityWindow

namespace hooks::SBReachabilitySettings {
extern void (*orig_setYOffsetFactor)(id, SEL, double);
void setYOffsetFactor(id self, SEL _cmd, double factor);
extern void (*orig_setSystemWideSwipeDownHeight)(id, SEL, double);
void setSystemWideSwipeDownHeight(id self, SEL _cmd, double height);
}  // namespace hooks::SBReachabilitySettings
