#include "tweak/motion/SBBacklightController.h"

#include "tweak/Settings.h"
#include "tweak/State.h"
#include "tweak/host/Host.h"

namespace hooks::SBBacklightController {

void (*orig_preventIdleSleepForNumberOfSeconds)(id, SEL, float) = nullptr;

// The device stays awake for the whole detection window.
void preventIdleSleepForNumberOfSeconds(id self, SEL _cmd, float seconds) {
  if (isEnabled && !host::isLowPowerModeEnabled()) {
    const float window = static_cast<float>(disableMotionDetectionSlider * 60.0);
    if (disableDetectionMode != 0) {
      seconds = 60000.0f;
    } else if (isAllowTapOnScreenOffEnabled && !disabled) {
      seconds = window;
    } else if (disableMotionDetector != nil) {
      seconds = window;
    }
  }
  orig_preventIdleSleepForNumberOfSeconds(self, _cmd, seconds);
}

}  // namespace hooks::SBBacklightController
