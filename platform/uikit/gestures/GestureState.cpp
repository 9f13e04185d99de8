#include "platform/uikit/gestures/GestureState.h"

#include "platform/objc/Fatal.h"
#include "platform/uikit/gestures/Recognizer.h"

#include <cstdio>

namespace uikit::gestures {

namespace {

constexpr int kStates = 6;

// kMoves[from][to]
constexpr bool kMoves[kStates][kStates] = {
    //            possible began  changed ended  cancelled failed
    /* possible */ {false, true, false, true, false, true},
    /* began    */ {false, false, true, true, true, false},
    /* changed  */ {false, false, true, true, true, false},
    /* ended    */ {true, false, false, false, false, false},
    /* cancelled*/ {true, false, false, false, false, false},
    /* failed   */ {true, false, false, false, false, false},
};

bool isState(long long state) { return state >= 0 && state < kStates; }

}  // namespace

bool isAllowedMove(long long from, long long to) { return isState(from) && isState(to) && kMoves[from][to]; }

const char* stateName(long long state) {
  static const char* const names[kStates] = {"possible", "began", "changed", "ended", "cancelled", "failed"};
  if (isState(state)) return names[state];
  static thread_local char text[32];
  std::snprintf(text, sizeof text, "state %lld", state);
  return text;
}

void checkMove(id recognizer, long long from, long long to) {
  if (isAllowedMove(from, to)) return;
  const std::string from_name = stateName(from);
  objc::fatal("%s: a gesture recognizer cannot move from %s to %s", nameOf(recognizer).c_str(), from_name.c_str(),
              stateName(to));
}

}  // namespace uikit::gestures
