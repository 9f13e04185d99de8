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

BOOL readFlag(id key, BOOL absent) {
  id value = numberFor(key);
  return value ? send<BOOL()>(value, "boolValue"_sel) : absent;
}
int readInt(id key, int absent) {
  id value = numberFor(key);
  return value ? send<int()>(value, "intValue"_sel) : absent;
}
float readFloat(id key, float absent) {
  id value = numberFor(key);
  return value ? send<float()>(value, "floatValue"_sel) : absent;
}
double readDouble(id key, double absent) {
  id value = numberFor(key);
  return value ? send<double()>(value, "doubleValue"_sel) : absent;
}

// Re-reads the file when it is written, so that keys another process changed since the
// last reload are kept; nothing is written when there is no readable file.
void writeEnabled(BOOL enabled) {
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

}  // namespace

extern "C" __attribute__((visibility("default"))) void refreshPrefs() {
  id previous = prefs;
  prefs = host::readSettingsFile();
  objc::release(previous);

  isEnabled = readFlag("isEnabled"_ns, NO);
  disableMotionDetectionSlider = readDouble("disableMotionDetectionSlider"_ns, 30.0);
  disableDetectionMode = readInt("disableDetectionMode"_ns, 0);
  wakeMode = readInt("wakeMode"_ns, 0);
  isWakeScreenSensitivityEnabled = readFlag("isWakeScreenSensitivityEnabled"_ns, NO);
  motionSenstivity = readFloat("motionSenstivity"_ns, 7.0f);
  wakeGestureMode = readInt("wakeGestureMode"_ns, 0);
  isMotionDetectorReEnabled = readFlag("isMotionDetectorReEnabled"_ns, NO);
  isUpdateIntervalEnabled = readFlag("isUpdateIntervalEnabled"_ns, NO);
  updateIntervalSlider = readInt("updateIntervalSlider"_ns, 5);
  isReachavilityDisabled = readFlag("isReachavilityDisabled"_ns, NO);
  isAllowTapOnScreenOffEnabled = readFlag("isAllowTapOnScreenOffEnabled"_ns, NO);
  isVibrationEnabled = readFlag("isVibrationEnabled"_ns, NO);
  vibrationIntensity = static_cast<double>(readFloat("vibrationIntensity"_ns, 0.75f));
  vibrationDuration = static_cast<long long>(readInt("vibrationDuration"_ns, 30));
  tapToWakeMode = readInt("tapToWakeMode"_ns, 2);
}

void PreferencesChangedCallback(CFNotificationCenterRef, void*, CFNotificationName, const void*, CFDictionaryRef) {
  refreshPrefs();
}

void setEnabled(CFNotificationCenterRef, void*, CFNotificationName, const void*, CFDictionaryRef) { writeEnabled(YES); }

void setDisabled(CFNotificationCenterRef, void*, CFNotificationName, const void*, CFDictionaryRef) { writeEnabled(NO); }
