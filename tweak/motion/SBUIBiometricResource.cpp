#include "tweak/motion/SBUIBiometricResource.h"

namespace hooks::SBUIBiometricResource {

void (*orig_noteScreenDidTurnOff)(id, SEL) = nullptr;

void noteScreenDidTurnOff(id self, SEL _cmd) { orig_noteScreenDidTurnOff(self, _cmd); }

void disableDetection(id, SEL) {}

}  // namespace hooks::SBUIBiometricResource
