#include "tweak/styling/ControlCenter.h"

// Toggle styling is not built yet: every replacement only calls through.

namespace hooks::CCUIToggleViewController {
void (*orig_viewDidLoad)(id, SEL) = nullptr;
void viewDidLoad(id self, SEL _cmd) { orig_viewDidLoad(self, _cmd); }
void (*orig_refreshState)(id, SEL) = nullptr;
void refreshState(id self, SEL _cmd) { orig_refreshState(self, _cmd); }
}  // namespace hooks::CCUIToggleViewController

namespace hooks::CCUIModularControlCenterOverlayViewController {
void (*orig_beginPresentationAnimated)(id, SEL, BOOL, BOOL) = nullptr;
void beginPresentationAnimated(id self, SEL _cmd, BOOL animated, BOOL interactive) {
  orig_beginPresentationAnimated(self, _cmd, animated, interactive);
}
}  // namespace hooks::CCUIModularControlCenterOverlayViewController
