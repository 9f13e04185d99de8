#pragma once
// Replaced methods of Control Center's toggle view controller: after the host has loaded
// or refreshed a toggle, the tweak's own is recognised and styled. Other toggles are left
// alone.

#include "platform/objc/Runtime.h"

namespace hooks::CCUIToggleViewController {
extern void (*orig_viewDidLoad)(id, SEL);
void viewDidLoad(id self, SEL _cmd);
extern void (*orig_refreshState)(id, SEL);
void refreshState(id self, SEL _cmd);
}  // namespace hooks::CCUIToggleViewController
