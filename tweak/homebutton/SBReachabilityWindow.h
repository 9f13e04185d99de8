#pragma once
// Replaced initialiser of SBReachabilityWindow: no reachability window is made while
// reachability is switched off.

#include "platform/objc/Runtime.h"

namespace hooks::SBReachabilityWindow {
extern id (*orig_initWithWallpaperVariant)(id, SEL, long long);
id initWithWallpaperVariant(id self, SEL _cmd, long long variant);
}  // namespace hooks::SBReachabilityWindow
