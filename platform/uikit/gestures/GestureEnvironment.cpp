#include "platform/uikit/gestures/GestureEnvironment.h"

#include "platform/core/EventLog.h"
#include "platform/objc/Message.h"
#include "platform/uikit/gestures/GestureState.h"
#include "platform/uikit/gestures/Recognizer.h"

#include <algorithm>

namespace uikit {

namespace {

using namespace objc::literals;
using objc::send;
using namespace gestures;

bool ownAnswerGiven = false;

// `attached`: the recognizers of the environment, whose places name the two in the log.
bool delegateAllowsBoth(id a, id b, const std::vector<objc::Ref>& attached) {
  static const SEL question = "gestureRecognizer:shouldRecognizeSimultaneouslyWithGestureRecognizer:"_sel;
  id delegate = coreOf(a).delegate;
  if (!objc::respondsTo(delegate, question)) return false;
  ownAnswerGiven = false;
  const bool both = send<BOOL(id, id)>(delegate, question, a, b) == YES;
  if (core::eventLog().verbose()) {
    // Who answered: the delegate's own method, or a method put in its place that did not
    // ask it.
    const char* by = ownAnswerGiven ? "the host" : "a hook, not the host";
    auto placed = [&attached](id recognizer) {
      const auto at = std::find(attached.begin(), attached.end(), recognizer);
      return "#" + std::to_string(at - attached.begin() + 1) + " " + nameOf(recognizer);
    };
    core::record("gesture",
                 "delegate: " + placed(a) + " with " + placed(b) + " -> " + (both ? "YES" : "NO") + " (answered by " + by + ")",
                 {{"recognizer", placed(a)}, {"other", placed(b)}, {"simultaneous", both},
                  {"answeredBy", ownAnswerGiven ? "host" : "hook"}});
  }
  return both;
}

bool maySeePresses(long long state) { return state == Possible || state == Began || state == Changed; }

}  // namespace

std::string describeRecognizer(id recognizer) { return recognizer ? nameOf(recognizer) : "nil"; }

void noteOwnDelegateAnswer() { ownAnswerGiven = true; }

bool GestureEnvironment::attach(id recognizer) {
  if (recognizer == nil || coreOf(recognizer).environment != nullptr) return false;
  coreOf(recognizer).environment = this;
  recognizers_.emplace_back(recognizer);
  return true;
}

void GestureEnvironment::deliver(const hardware::Press& press) {
  const bool down = press.phase == hardware::Press::Down;
  if (down) ++pressesDown_;
  else if (pressesDown_ > 0) --pressesDown_;
  // Every recognizer sees the event before anything settles: one that failed at this
  // release must not be reset before a later one has said it waits on it. Recognizers
  // attached while a press is delivered see the next one.
  const bool outermost = !settling_;
  settling_ = true;
  const std::vector<objc::Ref> attached = recognizers_;
  for (const objc::Ref& recognizer : attached) {
    if (!maySeePresses(stateOf(recognizer)) || !seesPressType(recognizer, press.type)) continue;
    send<void(long long)>(recognizer, down ? "_pressDown:"_sel : "_pressUp:"_sel, press.type);
  }
  if (!outermost) return;
  settling_ = false;
  settle();
}

void GestureEnvironment::excludeOthers(id winner) {
  const std::vector<objc::Ref> attached = recognizers_;
  for (const objc::Ref& other : attached) {
    if (other == winner || stateOf(other) != Possible) continue;
    if (delegateAllowsBoth(winner, other, attached) || delegateAllowsBoth(other, winner, attached)) continue;
    move(other, Failed);
  }
}

bool GestureEnvironment::isNeededByAWaitingRecognizer(id recognizer) const {
  for (const objc::Ref& other : recognizers_) {
    const RecognizerCore& core = coreOf(other);
    if (!core.pending) continue;
    for (const objc::Ref& required : core.requiredToFail) {
      if (required == recognizer) return true;
    }
  }
  return false;
}

void GestureEnvironment::settle() {
  // A move made while settling (a waiting recognizer that now fires, and the others it
  // excludes) asks to settle again; the outer loop does it.
  if (settling_) {
    unsettled_ = true;
    return;
  }
  settling_ = true;
  bool changed = true;
  while (changed || unsettled_) {
    unsettled_ = false;
    changed = false;
    settleOnce(changed);
  }
  settling_ = false;
}

void GestureEnvironment::settleOnce(bool& changed) {
  const std::vector<objc::Ref> attached = recognizers_;
  for (const objc::Ref& recognizer : attached) {
    RecognizerCore& core = coreOf(recognizer);
    if (!core.pending || core.state != Possible) continue;
    bool allFailed = true;
    bool oneRecognized = false;
    for (const objc::Ref& required : core.requiredToFail) {
      const long long theirs = stateOf(required);
      oneRecognized = oneRecognized || hasBegun(theirs);
      allFailed = allFailed && theirs == Failed;
    }
    if (oneRecognized) {
      move(recognizer, Failed);
      changed = true;
    } else if (allFailed) {
      const long long to = *core.pending;
      core.pending.reset();
      move(recognizer, to);
      excludeOthers(recognizer);
      changed = true;
    }
  }
  if (pressesInProgress()) return;
  for (const objc::Ref& recognizer : attached) {
    if (!isOver(stateOf(recognizer)) || isNeededByAWaitingRecognizer(recognizer)) continue;
    move(recognizer, Possible);
    changed = true;
  }
}

}  // namespace uikit
