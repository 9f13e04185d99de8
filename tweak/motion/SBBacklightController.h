#pragma once
// Replaced method of SBBacklightController: the idle-sleep window during detection.

#include "platform/objc/Runtime.h"

namespace hooks::SBBacklightController {

extern void (*orig_preventIdleSleepForNumberOfSeconds)(id, SEL, float);
void preventIdleSleepForNumberOfSeconds(id self, SEL _cmd, float seconds);

}  // namespace hooks::SBBacklightController
