#pragma once
// Replaced and added methods of SBUIBiometricResource: the home-button wake's time-out.

#include "platform/objc/Runtime.h"

namespace hooks::SBUIBiometricResource {

extern void (*orig_noteScreenDidTurnOff)(id, SEL);
void noteScreenDidTurnOff(id self, SEL _cmd);
void disableDetection(id self, SEL _cmd);

}  // namespace hooks::SBUIBiometricResource
