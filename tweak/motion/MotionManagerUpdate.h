#pragma once
// The category `update` on CMMotionManager: the sampling timer and its action.

// Adds `update` and `updateData` to CMMotionManager; the first thing the library does when
// it loads, before the constructor and the hooks.
void attachUpdateCategory();
