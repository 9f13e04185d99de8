// UIGestureRecognizer: targets and actions, state, delegate, failure requirements and the
// press types it sees. Subclasses decide when their gesture begins, ends or fails; this
// class holds the moves to the table, the requirements, and the log of every move.

#include "platform/core/EventLog.h"
#include "platform/objc/ClassBuilder.h"
#include "platform/objc/Message.h"
#include "platform/uikit/Classes.h"
#include "platform/uikit/gestures/GestureEnvironment.h"
#include "platform/uikit/gestures/GestureState.h"
#include "platform/uikit/gestures/Recognizer.h"

namespace uikit::gestures {

namespace {

using namespace objc::literals;
using objc::send;

int createdRecognizers = 0;

void sendActions(id recognizer) {
  // A target may remove itself or drop the recognizer while it runs.
  objc::Ref keep{recognizer};
  const std::vector<Target> targets = coreOf(recognizer).targets;
  for (const Target& t : targets) {
    Method method = class_getInstanceMethod(objc::classOf(t.target), t.action);
    if (method != nullptr && method_getNumberOfArguments(method) > 2) {
      send<void(id)>(t.target, t.action, recognizer);
    } else {
      send<void()>(t.target, t.action);
    }
  }
}

id initWithTargetAction(id self, SEL, id target, SEL action) {
  RecognizerCore& core = coreOf(self);
  core.serial = ++createdRecognizers;
  if (target != nil && action != nullptr) core.targets.push_back({target, action});
  return self;
}

id init(id self, SEL sel) { return initWithTargetAction(self, sel, nil, nullptr); }

void addTargetAction(id self, SEL, id target, SEL action) {
  if (target == nil || action == nullptr) return;
  coreOf(self).targets.push_back({target, action});
}

long long state(id self, SEL) { return coreOf(self).state; }
void setState(id self, SEL, long long to) { requestState(self, to); }
id delegate(id self, SEL) { return coreOf(self).delegate; }
void setDelegate(id self, SEL, id delegate) { coreOf(self).delegate = delegate; }

void requireGestureRecognizerToFail(id self, SEL, id other) {
  if (other == nil || other == self) return;
  coreOf(self).requiredToFail.emplace_back(other);
}

id allowedPressTypes(id self, SEL) { return coreOf(self).allowedPressTypes; }
void setAllowedPressTypes(id self, SEL, id types) {
  coreOf(self).allowedPressTypes = types ? objc::Ref::adopt(send<id()>(types, "copy"_sel)) : objc::Ref();
}

// What a subclass overrides.
void pressDown(id, SEL, long long) {}
void pressUp(id, SEL, long long) {}
void reset(id, SEL) {}

}  // namespace

RecognizerCore& coreOf(id recognizer) { return objc::stateOf<RecognizerCore>(recognizer); }

std::string nameOf(id recognizer) {
  std::string name = objc::nameOf(objc::classOf(recognizer));
  const auto& targets = coreOf(recognizer).targets;
  if (!targets.empty()) name += std::string("(") + sel_getName(targets.front().action) + ")";
  return name;
}

long long stateOf(id recognizer) { return coreOf(recognizer).state; }

bool seesPressType(id recognizer, long long type) {
  id types = coreOf(recognizer).allowedPressTypes;
  if (types == nil) return true;
  const auto count = send<unsigned long()>(types, "count"_sel);
  for (unsigned long i = 0; i < count; ++i) {
    if (send<long long()>(send<id(unsigned long)>(types, "objectAtIndex:"_sel, i), "integerValue"_sel) == type) return true;
  }
  return false;
}

void after(id recognizer, double seconds, std::function<void()> work) {
  objc::Ref held{recognizer};
  auto& timers = coreOf(recognizer).timers;
  timers.push_back(core::RunLoop::main().scheduleAfter(seconds, core::RunLoop::Source::Input,
                                                       [held, work = std::move(work)] { work(); }));
}

void cancelTimers(id recognizer) {
  for (const auto id : coreOf(recognizer).timers) core::RunLoop::main().cancel(id);
  coreOf(recognizer).timers.clear();
}

void move(id recognizer, long long to) {
  RecognizerCore& core = coreOf(recognizer);
  const long long from = core.state;
  checkMove(recognizer, from, to);
  core.state = to;
  if (isOver(to) || to == Possible) core.pending.reset();
  const std::string name = nameOf(recognizer);
  core::record("gesture", name + " " + stateName(from) + " -> " + stateName(to),
               {{"recognizer", name}, {"serial", core.serial}, {"from", stateName(from)}, {"to", stateName(to)}});
  if (to == Possible) {
    cancelTimers(recognizer);
    send<void()>(recognizer, "reset"_sel);
    return;
  }
  if (to != Failed) sendActions(recognizer);
}

void requestState(id recognizer, long long to) {
  RecognizerCore& core = coreOf(recognizer);
  checkMove(recognizer, core.state, to);
  if (core.state == Possible && (to == Began || to == Ended)) {
    bool waiting = false;
    for (const objc::Ref& required : core.requiredToFail) {
      const long long theirs = stateOf(required);
      if (hasBegun(theirs)) {
        move(recognizer, Failed);
        if (core.environment) core.environment->settle();
        return;
      }
      waiting = waiting || theirs == Possible;
    }
    if (waiting) {
      core.pending = to;
      int still = 0;
      for (const objc::Ref& required : core.requiredToFail) still += stateOf(required) == Possible;
      const std::string name = nameOf(recognizer);
      core::record("gesture", name + " would move to " + stateName(to) + ", waits for " + std::to_string(still) +
                                  " to fail",
                   {{"recognizer", name}, {"serial", core.serial}, {"waitsFor", still}, {"to", stateName(to)}});
      return;
    }
    objc::Ref keep{recognizer};
    move(recognizer, to);
    if (core.environment) core.environment->excludeOthers(recognizer);
  } else {
    move(recognizer, to);
  }
  if (core.environment) core.environment->settle();
}

}  // namespace uikit::gestures

namespace uikit::detail {

void registerUIGestureRecognizer() {
  using namespace objc::literals;
  using namespace gestures;
  objc::ClassBuilder("UIGestureRecognizer", objc::rootClass())
      .state<RecognizerCore>()
      .method("init"_sel, &init)
      .method("initWithTarget:action:"_sel, &initWithTargetAction)
      .method("addTarget:action:"_sel, &addTargetAction)
      .method("state"_sel, &state)
      .method("setState:"_sel, &setState)
      .method("delegate"_sel, &delegate)
      .method("setDelegate:"_sel, &setDelegate)
      .method("requireGestureRecognizerToFail:"_sel, &requireGestureRecognizerToFail)
      .method("allowedPressTypes"_sel, &allowedPressTypes)
      .method("setAllowedPressTypes:"_sel, &setAllowedPressTypes)
      .method("_pressDown:"_sel, &pressDown)
      .method("_pressUp:"_sel, &pressUp)
      .method("reset"_sel, &reset)
      .build();
}

}  // namespace uikit::detail
