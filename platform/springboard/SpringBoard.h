#pragma once
// The stand-in SpringBoard: its classes, the state a test or scenario sets, and the user's
// actions, which run through the same messages SpringBoard's own code sends, so that a
// library's hooks see them.

namespace springboard {

struct HostState {
  bool displayOn = true;
  bool lockScreenUp = false;   // presented, whether lit or dark
  bool charging = false;
  bool callInProgress = false;
  // Seconds SpringBoard asks not to idle-sleep for when the display goes dark. The device
  // keeps its own value private; ten seconds stands in for it.
  float idleSleepRequest = 10.0f;
  // When on, a dark device sleeps once the window it was granted has passed: its run loop
  // holds back timers and sensor readings until the display next turns on. Off by
  // default, so that nothing depends on this detail of the host unless asked for.
  bool sleepsWhenIdle = false;
  bool asleep = false;
};

HostState& state();

// Registers SpringBoard's classes (and the application object), except absent ones.
void registerClasses();

// The sleep/wake button: dark device wakes over the lock screen; a lit one goes dark and
// locks. `simulated` tells the log whether the user or software pressed it.
void pressLockButton(bool simulated);
// The home button: wakes a dark device over the lock screen; otherwise only recorded.
void pressHomeButton(bool simulated);
// Lights a dark display over the lock screen, still locked.
void turnScreenOnOverLockScreen();
// The user unlocks a lit lock screen. Answers whether it was unlocked.
bool unlock();

void setCharging(bool charging);
// The host received an idle-sleep window of `seconds` (counted from now).
void grantIdleSleepWindow(float seconds);
void setCallInProgress(bool inCall);

}  // namespace springboard
