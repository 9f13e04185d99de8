#include "platform/uikit/UIKit.h"

#include "platform/foundation/Foundation.h"
#include "platform/quartzcore/QuartzCore.h"
#include "platform/uikit/Classes.h"

namespace uikit {

void registerClasses() {
  static const bool registered = [] {
    foundation::registerClasses();
    quartzcore::registerClasses();
    detail::registerUIApplication();
    detail::registerUIScreen();
    detail::registerUIColor();
    detail::registerUIImage();
    detail::registerUIView();
    detail::registerUIViewAnimation();
    detail::registerUIImageView();
    detail::registerUIFont();
    detail::registerUITextView();
    detail::registerUIWindow();
    detail::registerUIViewController();
    detail::registerUIGestureRecognizer();
    detail::registerUILongPressGestureRecognizer();
    detail::registerUIHBClickGestureRecognizer();
    return true;
  }();
  (void)registered;
}

}  // namespace uikit
