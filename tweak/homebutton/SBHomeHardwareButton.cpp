#include "tweak/homebutton/SBHomeHardwareButton.h"

// The home-button gestures are not built yet: the replacements only call through and the
// added methods do nothing, so the hook table is complete.

namespace hooks::SBHomeHardwareButton {

void (*orig_doubleTapUp)(id, SEL, id) = nullptr;
void (*orig_createGestureRecognizersWithConfiguration)(id, SEL, id) = nullptr;
void (*orig_setGestureRecognizerConfiguration)(id, SEL, id) = nullptr;
BOOL (*orig_shouldRecognizeSimultaneously)(id, SEL, id, id) = nullptr;

void performTheAction(id, SEL) {}
void doubleTapUp(id self, SEL _cmd, id recognizer) { orig_doubleTapUp(self, _cmd, recognizer); }
void singleTapUpFired(id, SEL, id) {}
void longTapFired(id, SEL, id) {}
void tapAndHoldFired(id, SEL, id) {}
void createSingleTapGestureRecognizerWithConf(id, SEL, id) {}
void createLongTapGestureRecognizerWithConf(id, SEL, id) {}
void createTapAndHoldGestureRecognizerWithConf(id, SEL, id) {}

void createGestureRecognizersWithConfiguration(id self, SEL _cmd, id configuration) {
  orig_createGestureRecognizersWithConfiguration(self, _cmd, configuration);
}

void setGestureRecognizerConfiguration(id self, SEL _cmd, id configuration) {
  orig_setGestureRecognizerConfiguration(self, _cmd, configuration);
}

BOOL shouldRecognizeSimultaneously(id self, SEL _cmd, id first, id second) {
  return orig_shouldRecognizeSimultaneously(self, _cmd, first, second);
}

}  // namespace hooks::SBHomeHardwareButton
