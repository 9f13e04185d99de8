#pragma once
// The states of a gesture recognizer, with UIKit's numbers, and the one table of the moves
// between them. Any move the table does not allow is a fault of the recognizer that made it:
// the device stops, naming the recognizer and the move, rather than going on in a state
// UIKit could never be in.
//
//   possible  -> began, ended (recognized), failed
//   began     -> changed, ended, cancelled
//   changed   -> changed, ended, cancelled
//   ended, cancelled, failed -> possible (the reset, once the gesture is over)

#include "platform/objc/Runtime.h"

namespace uikit::gestures {

enum State : long long {
  Possible = 0,
  Began = 1,
  Changed = 2,
  Ended = 3,  // also "recognized", for a discrete gesture
  Cancelled = 4,
  Failed = 5,
};

bool isAllowedMove(long long from, long long to);
// "possible", "began", ...; "state 7" for a number that is no state.
const char* stateName(long long state);
// Aborts with the recognizer's name unless the table allows the move.
void checkMove(id recognizer, long long from, long long to);

// The recognizer has recognized its gesture (a cancelled one had begun).
inline bool hasBegun(long long state) { return state == Began || state == Changed || state == Ended || state == Cancelled; }
inline bool isOver(long long state) { return state == Ended || state == Cancelled || state == Failed; }

}  // namespace uikit::gestures
