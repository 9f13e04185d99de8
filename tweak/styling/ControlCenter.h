#pragma once
// Replaced methods of Control Center's toggle view controller and overlay: the tweak's
// own toggle is recognised, styled, and set from the master switch.

#include "platform/objc/Runtime.h"

namespace hooks::CCUIToggleViewController {
extern void (*orig_viewDidLoad)(id, SEL);
void viewDidLoad(id self, SEL _cmd);
extern void (*orig_refreshState)(id, SEL);
void refreshState(id self, SEL _cmd);
}  // namespace hooks::CCUIToggleViewController

namespace hooks::CCUIModularControlCenterOverlayViewController {
extern void (*orig_beginPresentationAnimated)(id, SEL, BOOL, BOOL);
void beginPresentationAnimated(id self, SEL _cmd, BOOL animated, BOOL interactive);
}  // namespace hooks::CCUIModularControlCenterOverlayViewController
