#include "tweak/homebutton/SBUIBiometricResource.h"

#include "platform/objc/Message.h"
#include "tweak/ScreenWake.h"
#include "tweak/Settings.h"
#include "tweak/State.h"
#include "tweak/host/Host.h"

using namespace objc::literals;

namespace hooks::SBUIBiometricResource {

void (*orig_noteScreenDidTurnOff)(id, SEL) = nullptr;

// While the home-button wake is armed, the fingerprint sensor is not told the display went
// dark; the first withheld notice starts the time-out that ends this.
void noteScreenDidTurnOff(id self, SEL _cmd) {
  if (!isEnabled || !isAllowTapOnScreenOffEnabled || host::isLowPowerModeEnabled() || disabled) {
    orig_noteScreenDidTurnOff(self, _cmd);
    return;
  }
  if (disableDetectionMode == 0 && disableMotionDetector2 == nil && !host::isBatteryCharging()) {
    disableMotionDetector2 = host::scheduleTimer(disableMotionDetectionSlider * 60.0, self, "disableDetection"_sel, NO);
  }
}

void disableDetection(id, SEL) {
  wakeScreen();
  host::endTimer(disableMotionDetector2);
  disabled = YES;
}

}  // namespace hooks::SBUIBiometricResource
