#include "platform/uikit/UIKit.h"

#include "platform/foundation/Foundation.h"
#include "platform/uikit/Classes.h"

namespace uikit {

void registerClasses() {
  static const bool registered = [] {
    foundation::registerClasses();
    detail::registerUIApplication();
    detail::registerUIGestureRecognizer();
    detail::registerUILongPressGestureRecognizer();
    detail::registerUIHBClickGestureRecognizer();
    return true;
  }();
  (void)registered;
}

}  // namespace uikit
