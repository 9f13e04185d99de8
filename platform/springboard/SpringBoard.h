#pragma once
// The stand-in SpringBoard: its classes, the state a test or scenario sets, and the user's
// actions, which run through the same messages SpringBoard's own code sends, so that a
// library's hooks see them. The display, the charger and sleep are the device's
// (platform/hardware); SpringBoard only drives and reads them.

namespace springboard {

struct HostState {
  bool lockScreenUp = false;   // presented, whether lit or dark
  // Seconds SpringBoard asks not to idle-sleep for when the display goes dark. The device
  // keeps its own value private; ten seconds stands in for it.
  float idleSleepRequest = 10.0f;
};

HostState& state();

// Registers SpringBoard's classes (and the application object), except absent ones.
void registerClasses();

// The sleep/wake button: dark device wakes over the lock screen; a lit one goes dark and
// locks. `simulated` tells the log whether the user or software pressed it.
void pressLockButton(bool simulated);
// The home button: wakes a dark device over the lock screen; otherwise only recorded.
void pressHomeButton(bool simulated);
// Lights a dark display over the lock screen, still locked; `cause` names who asked.
void turnScreenOnOverLockScreen(const char* cause);
// The user unlocks a lit lock screen. Answers whether it was unlocked.
bool unlock();

}  // namespace springboard
