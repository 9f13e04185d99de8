// SBHomeHardwareButton: the home button's gesture recognizers and their actions.

#include "platform/core/HostCall.h"
#include "platform/core/HostClasses.h"
#include "platform/objc/ClassBuilder.h"
#include "platform/objc/Singleton.h"
#include "platform/springboard/Classes.h"
#include "platform/springboard/SpringBoard.h"
#include "platform/objc/Ref.h"

namespace springboard::detail {
namespace {

using namespace objc::literals;
using core::recordHostCall;

struct ButtonState {
  objc::Ref configuration;
};
void doubleTapUp(id self, SEL sel, id) { recordHostCall(self, sel); }
void createGestureRecognizers(id self, SEL sel, id) { recordHostCall(self, sel); }
void setGestureRecognizerConfiguration(id self, SEL sel, id configuration) {
  recordHostCall(self, sel);
  objc::stateOf<ButtonState>(self).configuration = objc::Ref(configuration);
}
id gestureRecognizerConfiguration(id self, SEL) { return objc::stateOf<ButtonState>(self).configuration; }
BOOL shouldRecognizeSimultaneously(id, SEL, id, id) { return NO; }

}  // namespace

void registerSBHomeHardwareButton() {
  core::defineHostClass("SBHomeHardwareButton", [](objc::ClassBuilder& c) {
    c.state<ButtonState>()
        .method("doubleTapUp:"_sel, &doubleTapUp)
        .method("_createGestureRecognizersWithConfiguration:"_sel, &createGestureRecognizers)
        .method("setGestureRecognizerConfiguration:"_sel, &setGestureRecognizerConfiguration)
        .method("gestureRecognizerConfiguration"_sel, &gestureRecognizerConfiguration)
        .method("gestureRecognizer:shouldRecognizeSimultaneouslyWithGestureRecognizer:"_sel,
                &shouldRecognizeSimultaneously);
  });
}

}  // namespace springboard::detail
