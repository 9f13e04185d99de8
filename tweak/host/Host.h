#pragma once
// What the tweak relies on from SpringBoard and the system. Classes are looked up by name
// on first use and cached; a missing class is nil, and every message to nil answers NO, 0
// or nil, so the test that used it simply fails.

#include "platform/objc/Block.h"
#include "platform/objc/Message.h"

#include <functional>

namespace host {

Class SBLockScreenManager();
Class SBBacklightController();
Class SBUIController();
Class SBIconController();
Class SBHBDoubleTapUpGestureRecognizer();
Class FBSystemGestureManager();
Class UILongPressGestureRecognizer();
Class TUCallCenter();
Class NSProcessInfo();

// [[NSProcessInfo processInfo] isLowPowerModeEnabled]
BOOL isLowPowerModeEnabled();
// [[SBBacklightController sharedInstance] screenIsOn]
BOOL screenIsOn();
// [[TUCallCenter sharedInstance] hasCurrentCalls]
BOOL hasCurrentCalls();
// [[SBUIController sharedInstance] isBatteryCharging]
BOOL isBatteryCharging();
// [SBLockScreenManager sharedInstance]
id lockScreenManager();
// [UIApplication sharedApplication], SpringBoard itself
id application();
void simulateLockButtonPress();
void simulateHomeButtonPress();

// A main-run-loop timer, retained for the caller: the reference it is stored in is strong.
id scheduleTimer(double interval, id target, SEL action, BOOL repeats);
// Ending a timer is always to invalidate it and then clear the reference.
void endTimer(id& timer);
// Work on the main queue after `seconds`.
void dispatchAfter(double seconds, std::function<void()> work);
// Posts a system-wide notification, delivered immediately, without object or payload.
void postNotification(id name);

// The settings dictionary of the file, owned by the caller, or nil when there is no
// readable dictionary there.
id readSettingsFile();

Class UIView();
Class UIColor();

// The styling file "/var/mobile/Library/Preferences/com.brel.corvel.plist" in a fresh
// mutable dictionary (autoreleased), empty when the file is not there.
id readStylingFile();
// A flag of a dictionary: set only when the key is there and its value's boolValue is
// YES; a value without boolValue reads as not set.
bool flagIn(id dictionary, id key);
// A number of a dictionary read with floatValue; 0 when the key is missing or its value has
// no floatValue (an array, say).
float floatIn(id dictionary, id key);
// [UIView animateWithDuration:animations:completion:]; the completion is told whether the
// animation ran its course, and does nothing when not given.
void animate(double seconds, std::function<void()> changes, std::function<void(BOOL finished)> completion = {});

// [[[SBIconController sharedInstance] _rootFolderController] rootFolderView]: the home
// screen's root folder view, or nil.
id rootFolderView();

}  // namespace host
