#pragma once
// The settings store: one global per key of the settings file, named as the key, and the
// whole file as the mutable dictionary `prefs`. Only a reload writes them.

#include "platform/foundation/CFNotificationCenter.h"
#include "platform/objc/Runtime.h"

extern BOOL isEnabled;
extern double disableMotionDetectionSlider;
extern int disableDetectionMode;
extern int wakeMode;
extern BOOL isWakeScreenSensitivityEnabled;
extern float motionSenstivity;
extern int wakeGestureMode;
extern BOOL isMotionDetectorReEnabled;
extern BOOL isUpdateIntervalEnabled;
extern int updateIntervalSlider;
extern BOOL isReachavilityDisabled;
extern BOOL isAllowTapOnScreenOffEnabled;
extern BOOL isVibrationEnabled;
extern double vibrationIntensity;
extern long long vibrationDuration;
extern int tapToWakeMode;

// The settings file as of the last reload (an NSMutableDictionary, strong), or nil.
extern id prefs;

// "/var/mobile/Library/Preferences/com.brel.tessaro.plist"
id settingsFilePath();

extern "C" void refreshPrefs();
void PreferencesChangedCallback(CFNotificationCenterRef center, void* observer, CFNotificationName name,
                                const void* object, CFDictionaryRef userInfo);

// Sets "isEnabled" in the settings file as it is now (re-read, so that keys another
// process wrote since the last reload stay), writes it atomically and keeps it as `prefs`,
// then posts "com.brel.tessaro.prefschanged"; with no readable file, only the post.
void writeIsEnabled(BOOL enabled);

// Switch the tweak on or off through the settings file (notification callbacks).
void setEnabled(CFNotificationCenterRef center, void* observer, CFNotificationName name, const void* object,
                CFDictionaryRef userInfo);
void setDisabled(CFNotificationCenterRef center, void* observer, CFNotificationName name, const void* object,
                 CFDictionaryRef userInfo);
