#include "tweak/styling/Styling.h"

#include "platform/core/Arc4Random.h"
#include "platform/foundation/Literals.h"
#include "platform/objc/Message.h"
#include "platform/substrate/Substrate.h"
#include "tweak/host/Host.h"

using namespace objc::literals;
using namespace foundation::literals;
using objc::send;

id TessaroToggleModule = nil;

id randomColor() {
  const double hue = (arc4random() % 359) / 359.0;
  const double saturation = (arc4random() % 100) / 100.0;
  const double brightness = (arc4random() % 100) / 100.0;
  return send<id(double, double, double, double)>(host::UIColor(), "colorWithHue:saturation:brightness:alpha:"_sel, hue,
                                                  saturation, brightness, 1.0);
}

namespace styling {

bool isTessaroToggle(id controller) {
  id identifier = send<id()>(send<id()>(send<id()>(controller, "module"_sel), "contentModuleContext"_sel), "moduleIdentifier"_sel);
  return send<BOOL(id)>(identifier, "isEqualToString:"_sel, "com.brel.control-center.tessaromodule"_ns);
}

id highlightView(id controller, bool& found) {
  id* slot = MSHookIvar<id>(send<id()>(controller, "buttonView"_sel), "_highlightedBackgroundView");
  found = slot != nullptr;
  return slot ? *slot : nil;
}

id contentView(id controller) {
  return send<id()>(send<id()>(send<id()>(controller, "module"_sel), "contentViewController"_sel), "view"_sel);
}

void applyCornerRadius(id controller, id stylingFile) {
  const double radius = host::flagIn(stylingFile, "isRoundIconsEnabled"_ns) ? 32.0 : 19.0;
  send<void(double)>(send<id()>(controller, "view"_sel), "_setContinuousCornerRadius:"_sel, radius);
  bool found = false;
  id highlight = highlightView(controller, found);
  if (found) send<void(double)>(highlight, "_setContinuousCornerRadius:"_sel, radius);
}

}  // namespace styling
