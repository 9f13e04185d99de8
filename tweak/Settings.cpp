#include "tweak/Settings.h"

#include "platform/foundation/Literals.h"
#include "platform/objc/Message.h"
#include "platform/objc/Ref.h"
#include "tweak/host/Host.h"

using namespace objc::literals;
using namespace foundation::literals;
using objc::send;

BOOL isEnabled = NO;
double disableMotionDetectionSlider = 30.0;
int disableDetectionMode = 0;
int wakeMode = 0;
BOOL isWakeScreenSensitivityEnabled = NO;
float motionSenstivity = 7.0f;
int wakeGestureMode = 0;
BOOL isMotionDetectorReEnabled = NO;
BOOL isUpdateIntervalEnabled = NO;
int updateIntervalSlider = 5;
BOOL isReachavilityDisabled = NO;
BOOL isAllowTapOnScreenOffEnabled = NO;
BOOL isVibrationEnabled = NO;
double vibrationIntensity = 0.75;
long long vibrationDuration = 30;
int tapToWakeMode = 2;

id prefs = nil;

id settingsFilePath() { return "/var/mobile/Library/Preferences/com.brel.tessaro.plist"_ns; }

namespace {

// The value under `key`, or nil when the key is missing or holds something without a
// number conversion (a date, an array, a dictionary): such a value counts as absent.
id numberFor(id key) {
  id value = send<id(id)>(prefs, "objectForKey:"_sel, key);
  return objc::respondsTo(value, "doubleValue"_sel) ? value : nil;
}

// The value under `key` through one of the platform's number conversions, or `absent`.
template <class T>
T read(id key, SEL conversion, T absent) {
  id value = numberFor(key);
  return value ? send<T()>(value, conversion) : absent;
}

}  // namespace

extern "C" __attribute__((visibility("default"))) void refreshPrefs() {
  id previous = prefs;
  prefs = host::readSettingsFile();
  objc::release(previous);

  isEnabled = read<BOOL>("isEnabled"_ns, "boolValue"_sel, NO);
  disableMotionDetectionSlider = read<double>("disableMotionDetectionSlider"_ns, "doubleValue"_sel, 30.0);
  disableDetectionMode = read<int>("disableDetectionMode"_ns, "intValue"_sel, 0);
  wakeMode = read<int>("wakeMode"_ns, "intValue"_sel, 0);
  isWakeScreenSensitivityEnabled = read<BOOL>("isWakeScreenSensitivityEnabled"_ns, "boolValue"_sel, NO);
  motionSenstivity = read<float>("motionSenstivity"_ns, "floatValue"_sel, 7.0f);
  wakeGestureMode = read<int>("wakeGestureMode"_ns, "intValue"_sel, 0);
  isMotionDetectorReEnabled = read<BOOL>("isMotionDetectorReEnabled"_ns, "boolValue"_sel, NO);
  isUpdateIntervalEnabled = read<BOOL>("isUpdateIntervalEnabled"_ns, "boolValue"_sel, NO);
  updateIntervalSlider = read<int>("updateIntervalSlider"_ns, "intValue"_sel, 5);
  isReachavilityDisabled = read<BOOL>("isReachavilityDisabled"_ns, "boolValue"_sel, NO);
  isAllowTapOnScreenOffEnabled = read<BOOL>("isAllowTapOnScreenOffEnabled"_ns, "boolValue"_sel, NO);
  isVibrationEnabled = read<BOOL>("isVibrationEnabled"_ns, "boolValue"_sel, NO);
  vibrationIntensity = static_cast<double>(read<float>("vibrationIntensity"_ns, "floatValue"_sel, 0.75f));
  vibrationDuration = static_cast<long long>(read<int>("vibrationDuration"_ns, "intValue"_sel, 30));
  tapToWakeMode = read<int>("tapToWakeMode"_ns, "intValue"_sel, 2);
}

void PreferencesChangedCallback(CFNotificationCenterRef, void*, CFNotificationName, const void*, CFDictionaryRef) {
  refreshPrefs();
}

// Re-reads the file when it is written, so that keys another process changed since the
// last reload are kept; nothing is written when there is no readable file.
void writeIsEnabled(BOOL enabled) {
  static const Class numberClass = objc_getClass("NSNumber");
  id current = host::readSettingsFile();
  if (current != nil) {
    send<void(id, id)>(current, "setObject:forKey:"_sel, send<id(BOOL)>(numberClass, "numberWithBool:"_sel, enabled),
                       "isEnabled"_ns);
    send<BOOL(id, BOOL)>(current, "writeToFile:atomically:"_sel, settingsFilePath(), YES);
    objc::release(prefs);
    prefs = current;
  }
  host::postNotification("com.brel.tessaro.prefschanged"_ns);
}

void setEnabled(CFNotificationCenterRef, void*, CFNotificationName, const void*, CFDictionaryRef) { writeIsEnabled(YES); }

void setDisabled(CFNotificationCenterRef, void*, CFNotificationName, const void*, CFDictionaryRef) { writeIsEnabled(NO); }
