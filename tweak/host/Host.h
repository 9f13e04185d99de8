#pragma once
// What the tweak relies on from SpringBoard and the system. Classes are looked up by name
// on first use and cached; a missing class is nil, and every message to nil answers NO, 0
// or nil, so the test that used it simply fails.

#include "platform/foundation/Dispatch.h"
#include "platform/objc/Block.h"
#include "platform/objc/Message.h"

#include <cstdint>

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

// `work` (any callable without arguments) on the main queue after `seconds`.
template <class Work>
void dispatchAfter(double seconds, Work work) {
  objc::Ref block = objc::makeBlock<void()>(static_cast<Work&&>(work));
  dispatch_after(dispatch_time(DISPATCH_TIME_NOW, static_cast<std::int64_t>(seconds * NSEC_PER_SEC)),
                 dispatch_get_main_queue(), block);
}

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

// [UIView animateWithDuration:animations:completion:] with two blocks made here.
void animateBlocks(double seconds, id changes, id completion);

// An animation of `seconds` whose block runs `changes`; `then(BOOL finished)` is told
// whether it ran its course.
template <class Changes, class Then>
void animate(double seconds, Changes changes, Then then) {
  objc::Ref block = objc::makeBlock<void()>(static_cast<Changes&&>(changes));
  objc::Ref completion = objc::makeBlock<void(BOOL)>(static_cast<Then&&>(then));
  animateBlocks(seconds, block, completion);
}

// The same, with a completion that does nothing.
template <class Changes>
void animate(double seconds, Changes changes) {
  animate(seconds, static_cast<Changes&&>(changes), [](BOOL) {});
}

// [[[SBIconController sharedInstance] _rootFolderController] rootFolderView]: the home
// screen's root folder view, or nil.
id rootFolderView();

}  // namespace host
