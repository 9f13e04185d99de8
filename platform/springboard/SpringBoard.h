#pragma once
// The stand-in SpringBoard: its classes, the state a test or scenario sets, and the user's
// actions, which run through the same messages SpringBoard's own code sends, so that a
// library's hooks see them. The display, the charger and sleep are the device's
// (platform/hardware); SpringBoard only drives and reads them.
//
// What the stand-in does with the buttons, on each screen:
//   sleep/wake button   lit: goes dark and locks (the lock screen is presented, dark);
//                       dark: lights the lock screen.
//   home button, physical (platform/hardware, seen by the attached gesture recognizers):
//                       dark: stays dark, unless homeButtonWakesDisplay is set, when the
//                       press lights the lock screen as it goes down, as a stock phone does;
//                       lit lock screen: nothing; lit and unlocked: a click closes Control
//                       Center when it is open, else goes to the home screen. A double
//                       click reaches -[SBHomeHardwareButton doubleTapUp:].
//   home button, software (_simulateHomeButtonPress): at once, no recognizer sees it;
//                       dark: lights the lock screen; lit: as a physical click.
//   The home screen is always there, under the lock screen while that is up: a view added
//   to it (to its root folder view, say) shows only once the device is unlocked.

#include "platform/objc/Runtime.h"

#include <string>
#include <utility>
#include <vector>

namespace springboard {

struct HostState {
  bool lockScreenUp = false;   // presented, whether lit or dark
  // Seconds SpringBoard asks not to idle-sleep for when the display goes dark. The device
  // keeps its own value private; ten seconds stands in for it.
  float idleSleepRequest = 10.0f;
  // A physical home-button press lights a dark display (off: it stays dark, the world the
  // home-button wake of a tweak is for).
  bool homeButtonWakesDisplay = false;
  // The root folder controller gives its view (off: a host whose controller has none).
  bool rootFolderHasView = true;
};

HostState& state();

// Reachability's settings as SpringBoard stores them at start.
inline constexpr double kReachabilityYOffsetFactor = 0.4;
inline constexpr double kReachabilitySwipeDownHeight = 100.0;

// Registers SpringBoard's classes (and the application object), except absent ones.
void registerClasses();
// The rest of SpringBoard's start, once the substrate has loaded the libraries: the home
// button builds its gesture recognizers, reachability receives its settings.
void finishLaunching();

// The sleep/wake button: dark device wakes over the lock screen; a lit one goes dark and
// locks. `simulated` tells the log whether the user or software pressed it.
void pressLockButton(bool simulated);
// The software home-button press.
void simulateHomeButtonPress();
// Lights a dark display over the lock screen, still locked; `cause` names who asked.
void turnScreenOnOverLockScreen(const char* cause);
// The user unlocks a lit lock screen. Answers whether it was unlocked.
bool unlock();

// The home screen's window, always there under the lock screen; nil before start.
id homeScreenWindow();

// The home button's object, or nil without the class.
id homeHardwareButton();
// A new configuration with a new double-tap-up recognizer, handed to the home button with
// _createGestureRecognizersWithConfiguration: and then setGestureRecognizerConfiguration:.
// At start, and again whenever asked (a setting read only at that moment takes effect).
void buildHomeButtonGestures();

// The home button's recognizers, as a debugger would list them: what each getter of its
// configuration that names a recognizer ("...GestureRecognizer", taking nothing, giving an
// object; the host's and any a library added) answers, in name order, and the recognizers
// attached to the display, in the order they were attached.
struct HomeGestures {
  std::vector<std::pair<std::string, id>> byGetter;  // nil: the getter answers none
  std::vector<id> attached;
};
HomeGestures homeGestures();

// The fingerprint sensor reports `event` to the lock screen's controller.
void reportBiometricEvent(long long event);

// SpringBoard tells the lock screen's controller of screen-off mode (setInScreenOffMode:
// forAutoUnlock:fromUnlockSource: with `screenOff`, NO and 0), and does nothing else.
void reportScreenOffMode(bool screenOff);
// SpringBoard presents the lock screen again while it is up: a second
// lockScreenViewControllerDidPresent in a row. False, sending nothing, when it is not up.
bool presentLockScreenAgain();

id reachabilityManager();
// The host's reachability toggle, as the user's gesture asks for it.
void toggleReachability();
bool reachabilityActive();
// SpringBoard stores one of reachability's settings again: `setting` is "yOffsetFactor" or
// "systemWideSwipeDownHeight", sent through its setter. False without the settings object.
bool storeReachabilitySetting(const std::string& setting, double value);

}  // namespace springboard
