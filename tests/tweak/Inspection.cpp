#include "tests/tweak/Inspection.h"

#include "tweak/HookTable.h"
#include "tweak/ScreenWake.h"
#include "tweak/Settings.h"
#include "tweak/State.h"
#include "tweak/motion/Sampling.h"
#include "tweak/styling/Styling.h"

extern "C" __attribute__((visibility("default"))) const TweakInspection* tessaroInspect() {
  static const TweakInspection inspection{
      &isEnabled, &disableMotionDetectionSlider, &disableDetectionMode, &wakeMode, &isWakeScreenSensitivityEnabled,
      &motionSenstivity, &wakeGestureMode, &isMotionDetectorReEnabled, &isUpdateIntervalEnabled, &updateIntervalSlider,
      &isReachavilityDisabled, &isAllowTapOnScreenOffEnabled, &isVibrationEnabled, &vibrationIntensity,
      &vibrationDuration, &tapToWakeMode, &prefs,
      &isLocked, &reachavilityDisabled, &disableActions, &disabled, &deviceMotionTimer, &disableMotionDetector,
      &disableMotionDetector2, &motionType, &rollingX, &rollingY, &rollingZ,
      &wakeScreen, &hapticVibe, &updateInterval,
      &TessaroToggleModule, &randomColor, &hookTableForInspection};
  return &inspection;
}
