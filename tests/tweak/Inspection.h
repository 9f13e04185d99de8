#pragma once
// The tests' view of the tweak's globals. The shipped library exports only refreshPrefs;
// the inspectable variant, built from the same objects, adds tessaroInspect.

#include "platform/objc/Runtime.h"
#include "tweak/HookTable.h"

struct TweakInspection {
  BOOL* isEnabled;
  double* disableMotionDetectionSlider;
  int* disableDetectionMode;
  int* wakeMode;
  BOOL* isWakeScreenSensitivityEnabled;
  float* motionSenstivity;
  int* wakeGestureMode;
  BOOL* isMotionDetectorReEnabled;
  BOOL* isUpdateIntervalEnabled;
  int* updateIntervalSlider;
  BOOL* isReachavilityDisabled;
  BOOL* isAllowTapOnScreenOffEnabled;
  BOOL* isVibrationEnabled;
  double* vibrationIntensity;
  long long* vibrationDuration;
  int* tapToWakeMode;
  id* prefs;

  BOOL* isLocked;
  BOOL* reachavilityDisabled;
  BOOL* disableActions;
  BOOL* disabled;
  id* deviceMotionTimer;
  id* disableMotionDetector;
  id* disableMotionDetector2;
  long long* motionType;
  float* rollingX;
  float* rollingY;
  float* rollingZ;

  void (*wakeScreen)();
  void (*hapticVibe)();
  double (*updateInterval)();

  id* TessaroToggleModule;
  id (*randomColor)();

  // The hook table as the library installs it.
  HookTableView (*hookTable)();
};

extern "C" const TweakInspection* tessaroInspect();
