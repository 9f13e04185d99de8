#pragma once
// Replaced method of SBReachabilityManager: toggling reachability is swallowed while the
// home-button mode's screen-off window is open and reachability is switched off.

#include "platform/objc/Runtime.h"

namespace hooks::SBReachabilityManager {
extern void (*orig_toggleReachability)(id, SEL);
void toggleReachability(id self, SEL _cmd);
}  // namespace hooks::SBReachabilityManager
