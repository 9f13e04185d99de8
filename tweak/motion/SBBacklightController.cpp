#include "tweak/motion/SBBacklightController.h"

namespace hooks::SBBacklightController {

void (*orig_preventIdleSleepForNumberOfSeconds)(id, SEL, float) = nullptr;

void preventIdleSleepForNumberOfSeconds(id self, SEL _cmd, float seconds) {
  orig_preventIdleSleepForNumberOfSeconds(self, _cmd, seconds);
}

}  // namespace hooks::SBBacklightController
