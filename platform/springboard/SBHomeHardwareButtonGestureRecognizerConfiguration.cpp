// SBHomeHardwareButtonGestureRecognizerConfiguration: the recognizers the home button is
// built from (the host's own double-tap-up recognizer among them) and the system gesture
// manager through which they reach the display.

#include "platform/core/HostClasses.h"
#include "platform/objc/ClassBuilder.h"
#include "platform/objc/Ivar.h"
#include "platform/objc/Ref.h"
#include "platform/springboard/Classes.h"

namespace springboard::detail {

namespace {

using namespace objc::literals;

template <objc::FixedString Ivar>
id get(id self, SEL) {
  id* slot = objc::ivarPointer<id>(self, Ivar.chars);
  return slot ? *slot : nil;
}

template <objc::FixedString Ivar>
void set(id self, SEL, id value) {
  id* slot = objc::ivarPointer<id>(self, Ivar.chars);
  if (slot == nullptr || *slot == value) return;
  objc::retain(value);
  objc::release(*slot);
  *slot = value;
}

}  // namespace

void registerSBHomeHardwareButtonGestureRecognizerConfiguration() {
  core::defineHostClass("SBHomeHardwareButtonGestureRecognizerConfiguration", [](objc::ClassBuilder& c) {
    c.strongIvar("_doubleTapUpGestureRecognizer")
        .strongIvar("_systemGestureManager")
        .method("doubleTapUpGestureRecognizer"_sel, &get<"_doubleTapUpGestureRecognizer">)
        .method("setDoubleTapUpGestureRecognizer:"_sel, &set<"_doubleTapUpGestureRecognizer">)
        .method("systemGestureManager"_sel, &get<"_systemGestureManager">)
        .method("setSystemGestureManager:"_sel, &set<"_systemGestureManager">);
  });
}

}  // namespace springboard::detail
