// SBHBDoubleTapUpGestureRecognizer: SpringBoard's recognizer of home-button clicks.

#include "platform/core/HostCall.h"
#include "platform/core/HostClasses.h"
#include "platform/objc/ClassBuilder.h"
#include "platform/objc/Singleton.h"
#include "platform/springboard/Classes.h"
#include "platform/springboard/SpringBoard.h"

namespace springboard::detail {

void registerSBHBDoubleTapUpGestureRecognizer() {
  core::defineHostClass("SBHBDoubleTapUpGestureRecognizer", [](objc::ClassBuilder&) {});
}

}  // namespace springboard::detail
