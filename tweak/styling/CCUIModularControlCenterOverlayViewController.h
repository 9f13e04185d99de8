#pragma once
// Replaced method of Control Center's overlay: before its presentation begins, the
// tweak's toggle is set to the master switch.

#include "platform/objc/Runtime.h"

namespace hooks::CCUIModularControlCenterOverlayViewController {
extern void (*orig_beginPresentationAnimated)(id, SEL, BOOL, BOOL);
void beginPresentationAnimated(id self, SEL _cmd, BOOL animated, BOOL interactive);
}  // namespace hooks::CCUIModularControlCenterOverlayViewController
