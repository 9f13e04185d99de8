#pragma once
// Internal to UIKit: what UIGestureRecognizer keeps for each recognizer, and what its
// subclasses and the gesture environment do with it. A subclass sees presses through the
// messages `_pressDown:` and `_pressUp:` (the press type as a long long), moves its state
// with `setState:` as UIKit subclasses do, and clears its own progress in `reset`.

#include "platform/core/RunLoop.h"
#include "platform/objc/Ref.h"

#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace uikit {
class GestureEnvironment;
}

namespace uikit::gestures {

struct Target {
  id target;  // not retained, as UIKit does not retain a recognizer's targets
  SEL action;
};

struct RecognizerCore {
  int serial = 0;  // in creation order, to tell recognizers of one class apart in the log
  long long state = 0;
  std::vector<Target> targets;
  id delegate = nil;  // not retained
  objc::Ref allowedPressTypes;  // an NSArray of NSNumbers; nil: every type
  std::vector<objc::Ref> requiredToFail;
  // The move to began or ended that waits for `requiredToFail` to fail.
  std::optional<long long> pending;
  GestureEnvironment* environment = nullptr;
  std::vector<core::RunLoop::WorkId> timers;
};

RecognizerCore& coreOf(id recognizer);
// "UILongPressGestureRecognizer(longTapFired:)": its class and first action.
std::string nameOf(id recognizer);
long long stateOf(id recognizer);
bool seesPressType(id recognizer, long long type);

// Runs `work` after `seconds` of device time unless the recognizer is reset first. Press
// handling is input: it runs while the device sleeps.
void after(id recognizer, double seconds, std::function<void()> work);
void cancelTimers(id recognizer);

// The move itself, past the requirements: sets the state, records it, sends the actions.
// Used by setState: and by the environment when it resolves a waiting move.
void move(id recognizer, long long to);
// setState: of a recognizer: requirements first, then the move, then exclusion.
void requestState(id recognizer, long long to);

}  // namespace uikit::gestures
