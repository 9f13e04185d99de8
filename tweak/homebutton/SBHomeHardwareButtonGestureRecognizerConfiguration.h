#pragma once
// Added properties of the home button's gesture configuration: the tweak's three
// recognizers, each a strong reference stored alongside the configuration.

#include "platform/objc/Runtime.h"

namespace hooks::SBHomeHardwareButtonGestureRecognizerConfiguration {

id singleTapGestureRecognizer(id self, SEL _cmd);
void setSingleTapGestureRecognizer(id self, SEL _cmd, id recognizer);
id longTapGestureRecognizer(id self, SEL _cmd);
void setLongTapGestureRecognizer(id self, SEL _cmd, id recognizer);
id tapAndHoldTapGestureRecognizer(id self, SEL _cmd);
void setTapAndHoldTapGestureRecognizer(id self, SEL _cmd, id recognizer);

}  // namespace hooks::SBHomeHardwareButtonGestureRecognizerConfiguration
