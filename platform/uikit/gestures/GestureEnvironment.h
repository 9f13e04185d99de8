#pragma once
// The recognizers attached to one display and the presses they share. Each press event
// goes to the attached recognizers in the order they were attached. When one of them
// begins or recognizes, every other one that is still possible fails, unless the delegate
// of either answers YES to gestureRecognizer:shouldRecognizeSimultaneouslyWithGestureRecognizer:.
// So when two would begin or recognize at the same instant, the one attached first does. A
// verbose log records each such question with its answer and who gave it ("gesture"), the
// recognizers named by their place among the attached ("#1" the first).
//
// A recognizer that must wait for others to fail (requireGestureRecognizerToFail:) keeps
// its move to began or ended until they have all failed, and fails as soon as one of them
// recognizes. A recognizer that failed or ended returns to possible once every press has
// ended and no waiting recognizer still needs its state.

#include "platform/hardware/HomeButton.h"
#include "platform/objc/Ref.h"

#include <string>
#include <vector>

namespace uikit {

// A recognizer as the log names it: its class and first action,
// "UILongPressGestureRecognizer(longTapFired:)".
std::string describeRecognizer(id recognizer);

// A delegate's own answer to the simultaneity question says it was given (the host's
// classes do), so that a verbose log can tell it from an answer a method put in its place
// gave without asking it.
void noteOwnDelegateAnswer();

class GestureEnvironment {
 public:
  GestureEnvironment() = default;
  GestureEnvironment(const GestureEnvironment&) = delete;
  GestureEnvironment& operator=(const GestureEnvironment&) = delete;

  // From now on `recognizer` sees the presses delivered here; the environment keeps it.
  // False, and nothing changes, when it is attached here or elsewhere already.
  bool attach(id recognizer);
  const std::vector<objc::Ref>& recognizers() const { return recognizers_; }

  void deliver(const hardware::Press& press);
  bool pressesInProgress() const { return pressesDown_ > 0; }

  // A recognizer of this environment began or recognized: the others give way.
  void excludeOthers(id recognizer);
  // Resolves waiting moves and resets what is over; called after every move.
  void settle();

 private:
  void settleOnce(bool& changed);
  bool isNeededByAWaitingRecognizer(id recognizer) const;

  std::vector<objc::Ref> recognizers_;
  int pressesDown_ = 0;
  bool settling_ = false;
  bool unsettled_ = false;
};

}  // namespace uikit
