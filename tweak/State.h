#pragma once
// Run-time state that several subsystems share. File-scope globals, main thread only.

#include "platform/objc/Runtime.h"

// Lock state as the tweak sees it: YES from screen-off mode until an unlock finishes.
extern BOOL isLocked;
// The home-button mode's screen-off window, during which reachability is swallowed.
extern BOOL reachavilityDisabled;
// Set from fingerprint events while the screen is off; blocks home-button actions.
extern BOOL disableActions;
// YES once the home-button time-out has fired.
extern BOOL disabled;

// Timers: strong references, or nil. Ending one is invalidating it, then clearing it.
extern id deviceMotionTimer;
extern id disableMotionDetector;
extern id disableMotionDetector2;

// The last pose stored by classification (0 raised, 1 face up, 2 face down, 5 none) and
// the smoothed user acceleration. Not exported: tools that show what each step stored
// read them from the library's symbol table, as a debugger does.
extern long long motionType;
extern float rollingX;
extern float rollingY;
extern float rollingZ;
