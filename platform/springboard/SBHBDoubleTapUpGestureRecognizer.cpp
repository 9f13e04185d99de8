// SBHBDoubleTapUpGestureRecognizer: SpringBoard's recognizer of home-button clicks, a click
// recognizer of UIKit's.

#include "platform/core/HostClasses.h"
#include "platform/springboard/Classes.h"

namespace springboard::detail {

void registerSBHBDoubleTapUpGestureRecognizer() {
  core::defineHostClass("SBHBDoubleTapUpGestureRecognizer", [](objc::ClassBuilder&) {}, "UIHBClickGestureRecognizer");
}

}  // namespace springboard::detail
