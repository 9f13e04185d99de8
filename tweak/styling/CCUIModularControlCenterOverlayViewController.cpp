#include "tweak/styling/CCUIModularControlCenterOverlayViewController.h"

#include "platform/objc/Message.h"
#include "tweak/Settings.h"
#include "tweak/styling/Styling.h"

using namespace objc::literals;
using objc::send;

namespace hooks::CCUIModularControlCenterOverlayViewController {

void (*orig_beginPresentationAnimated)(id, SEL, BOOL, BOOL) = nullptr;

// Nothing is set while the tweak's toggle has never loaded: the module is not known yet.
void beginPresentationAnimated(id self, SEL _cmd, BOOL animated, BOOL interactive) {
  send<void(BOOL)>(TessaroToggleModule, "setSelected:"_sel, isEnabled);
  orig_beginPresentationAnimated(self, _cmd, animated, interactive);
}

}  // namespace hooks::CCUIModularControlCenterOverlayViewController
