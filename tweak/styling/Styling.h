#pragma once
// Toggle styling's state and shared steps: the module object of the tweak's toggle, the
// random colour, and the looks the two toggle hooks both apply.

#include "platform/objc/Runtime.h"

// The `module` of the tweak's toggle view controller (strong), replaced whenever such a
// controller loads its view; nil until the first load.
extern id TessaroToggleModule;

// An opaque colour of random hue, saturation and brightness, three draws in that order.
id randomColor();

namespace styling {

// The controller's module is Tessaro's: its context's identifier is the module's.
bool isTessaroToggle(id controller);
// The view in the instance variable "_highlightedBackgroundView" of the controller's
// button view; `found` tells whether the button view's class has that variable at all.
id highlightView(id controller, bool& found);
// The module's content view controller's view: where the toggle's colour goes.
id contentView(id controller);
// 32.0 when "isRoundIconsEnabled" is set, 19.0 otherwise, on the controller's view and,
// when there is one, on the highlight view.
void applyCornerRadius(id controller, id stylingFile);

}  // namespace styling
