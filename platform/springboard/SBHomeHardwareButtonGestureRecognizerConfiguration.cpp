// SBHomeHardwareButtonGestureRecognizerConfiguration: the recognizers the home button is
// built from, and the gesture manager that reaches the display.

#include "platform/core/HostCall.h"
#include "platform/core/HostClasses.h"
#include "platform/objc/ClassBuilder.h"
#include "platform/objc/Singleton.h"
#include "platform/springboard/Classes.h"
#include "platform/springboard/SpringBoard.h"

namespace springboard::detail {
namespace {
using namespace objc::literals;
id nothing(id, SEL) { return nil; }
}  // namespace

void registerSBHomeHardwareButtonGestureRecognizerConfiguration() {
  core::defineHostClass("SBHomeHardwareButtonGestureRecognizerConfiguration", [](objc::ClassBuilder& c) {
    c.method("doubleTapUpGestureRecognizer"_sel, &nothing).method("systemGestureManager"_sel, &nothing);
  });
}

}  // namespace springboard::detail
