// NSTimer on the main run loop: sends its selector to its target (retained) after the
// interval, again each interval when repeating, until invalidated.

#include "platform/core/EventLog.h"
#include "platform/core/RunLoop.h"
#include "platform/foundation/Classes.h"
#include "platform/objc/ClassBuilder.h"
#include "platform/objc/Message.h"

#include <cstdio>
#include <string>

namespace foundation::detail {
namespace {

// Valid repeating timers: each stays scheduled until invalidated.
int repeatingTimers = 0;

using namespace objc::literals;
using objc::send;

struct TimerState {
  objc::Ref target;
  SEL action = nullptr;
  objc::Ref userInfo;
  double interval = 0.0;
  bool repeats = false;
  bool valid = false;
  double fireDate = 0.0;
  core::RunLoop::WorkId pending = 0;
};

TimerState& timerOf(id self) { return objc::stateOf<TimerState>(self); }

// The run loop holds the timer while it is scheduled.
void arm(id timer);

void fire(id timer) {
  TimerState& state = timerOf(timer);
  state.pending = 0;
  if (!state.valid) return;
  objc::Ref keep{timer};
  objc::Ref target = state.target;
  if (state.repeats) {
    // Ticks the run loop could not run (a sleeping device) are skipped, not bunched.
    const double now = core::RunLoop::main().now();
    do state.fireDate += state.interval;
    while (state.fireDate <= now && state.interval > 0);
    arm(timer);
  } else {
    state.valid = false;
    state.target.reset();
    state.userInfo.reset();
    // One-shot timers are the time-outs the host can see end; repeating ones are ticks.
    const std::string fired = std::string("-[") + objc::nameOf(objc::classOf(target)) + " " + sel_getName(state.action) + "]";
    core::record("timer", fired, {{"class", objc::nameOf(objc::classOf(target))}, {"selector", sel_getName(state.action)}});
  }
  // The action takes the timer when it declares an argument, and nothing otherwise.
  Method method = class_getInstanceMethod(objc::classOf(target), state.action);
  if (method != nullptr && method_getNumberOfArguments(method) > 2) {
    send<void(id)>(target, state.action, timer);
  } else {
    send<void()>(target, state.action);
  }
}

void arm(id timer) {
  TimerState& state = timerOf(timer);
  objc::Ref held{timer};
  state.pending = core::RunLoop::main().schedule(state.fireDate, core::RunLoop::Source::Timer,
                                                 [held] { fire(held); });
}

id scheduledTimer(id cls, SEL, double interval, id target, SEL action, id userInfo, BOOL repeats) {
  id timer = send<id()>(cls, "new"_sel);
  TimerState& state = timerOf(timer);
  // As on the device, a non-positive interval means a tenth of a millisecond.
  state.interval = interval > 0 ? interval : 0.0001;
  state.target = objc::Ref(target);
  state.action = action;
  state.userInfo = objc::Ref(userInfo);
  state.repeats = repeats != NO;
  state.valid = true;
  state.fireDate = core::RunLoop::main().now() + state.interval;
  arm(timer);
  if (state.repeats) {
    ++repeatingTimers;
  } else {
    // A time-out being armed, so that a timeline can say when it was.
    const std::string name = std::string("-[") + objc::nameOf(objc::classOf(target)) + " " + sel_getName(action) + "]";
    char in[48];
    std::snprintf(in, sizeof in, " in %g s", state.interval);
    core::record("timer.scheduled", name + in,
                 {{"class", objc::nameOf(objc::classOf(target))}, {"selector", sel_getName(action)}, {"interval", state.interval}});
  }
  return objc::autorelease(timer);
}

void invalidate(id self, SEL) {
  TimerState& state = timerOf(self);
  if (!state.valid) return;
  state.valid = false;
  if (state.repeats) --repeatingTimers;
  objc::Ref keep{self};
  if (state.pending != 0) core::RunLoop::main().cancel(state.pending);
  state.pending = 0;
  state.target.reset();
  state.userInfo.reset();
}

BOOL isValid(id self, SEL) { return timerOf(self).valid ? YES : NO; }
double timeInterval(id self, SEL) { return timerOf(self).interval; }
double fireDate(id self, SEL) { return timerOf(self).fireDate; }
id userInfo(id self, SEL) { return timerOf(self).userInfo; }

}  // namespace

void registerTimerClass() {
  objc::ClassBuilder("NSTimer", objc::rootClass())
      .state<TimerState>()
      .classMethod("scheduledTimerWithTimeInterval:target:selector:userInfo:repeats:"_sel, &scheduledTimer)
      .method("invalidate"_sel, &invalidate)
      .method("isValid"_sel, &isValid)
      .method("timeInterval"_sel, &timeInterval)
      .method("fireTime"_sel, &fireDate)
      .method("userInfo"_sel, &userInfo)
      .build();
}

int validRepeatingTimers() { return repeatingTimers; }

}  // namespace foundation::detail

namespace foundation {
int validRepeatingTimers() { return detail::validRepeatingTimers(); }
}  // namespace foundation
