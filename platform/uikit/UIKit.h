#pragma once
// The stand-in UIKit: the application object (SpringBoard is its subclass) and the gesture
// recognizers of the hardware buttons (gestures/).

#include "platform/objc/Runtime.h"

namespace uikit {

void registerClasses();
// The object `+[UIApplication sharedApplication]` answers; set once by the host.
void setSharedApplication(id application);

}  // namespace uikit
