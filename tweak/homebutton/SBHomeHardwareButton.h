#pragma once
// Replaced and added methods of SBHomeHardwareButton: the tweak's recognizers and the
// actions of the home-button gestures.

#include "platform/objc/Runtime.h"

namespace hooks::SBHomeHardwareButton {

void performTheAction(id self, SEL _cmd);
extern void (*orig_doubleTapUp)(id, SEL, id);
void doubleTapUp(id self, SEL _cmd, id recognizer);
void singleTapUpFired(id self, SEL _cmd, id recognizer);
void longTapFired(id self, SEL _cmd, id recognizer);
void tapAndHoldFired(id self, SEL _cmd, id recognizer);
void createSingleTapGestureRecognizerWithConf(id self, SEL _cmd, id configuration);
void createLongTapGestureRecognizerWithConf(id self, SEL _cmd, id configuration);
void createTapAndHoldGestureRecognizerWithConf(id self, SEL _cmd, id configuration);
extern void (*orig_createGestureRecognizersWithConfiguration)(id, SEL, id);
void createGestureRecognizersWithConfiguration(id self, SEL _cmd, id configuration);
extern void (*orig_setGestureRecognizerConfiguration)(id, SEL, id);
void setGestureRecognizerConfiguration(id self, SEL _cmd, id configuration);
extern BOOL (*orig_shouldRecognizeSimultaneously)(id, SEL, id, id);
BOOL shouldRecognizeSimultaneously(id self, SEL _cmd, id first, id second);

}  // namespace hooks::SBHomeHardwareButton
