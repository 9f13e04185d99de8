#pragma once
// What the device did in a run, told apart the way a tester asks: motion wakes, time-out
// lightings, home-button wakes and other lightings of the display, the tweak's lock
// presses, when the motion time-out was armed; and, when asked for, one trace step per
// classification step with the reading it saw, the pose it stored, the smoothed
// acceleration and what it decided. The display's lighting is attributed by the tweak
// method running when it lit (the device watches them, as a debugger would), and the
// pose and smoothing are read from the tweak's own globals after each step.
//
// One observer at a time: it owns the event log's listener and the classification
// observer while installed, and hands every event on to `forward`.

#include "platform/core/EventLog.h"
#include "platform/hardware/MotionReading.h"
#include "platform/objc/Runtime.h"

#include <functional>
#include <optional>
#include <string>

namespace sim {

struct TraceStep {
  double time = 0;
  bool hasReading = false;  // before the first delivery the tweak reads all zeros
  hardware::Vector3 gravity;
  hardware::Vector3 userAcceleration;
  std::optional<long long> pose;  // motionType after the step; none: the tweak does not show it
  std::optional<hardware::Vector3> rolling;
  std::string decision;  // "wake", "lock", "end detection", "arm time-out", "none" (joined with "+")
};

// "raised", "face up", "face down", "none" (5), or the number.
std::string poseName(long long pose);

struct RunCounts {
  long long motionWakes = 0;
  long long timeoutLightings = 0;
  long long homeButtonWakes = 0;
  long long otherLightings = 0;  // the host's own (a software press, the user's unlock, ...)
  long long lockPresses = 0;     // the sleep/wake button pressed by the tweak
  long long timeouts = 0;        // time-outs that fired
  long long steps = 0;
  std::optional<double> firstMotionWake;
  long long timeoutsArmed = 0;         // motion time-outs armed
  std::optional<double> timeoutArmed;  // the first time one was
};

class RunObserver {
 public:
  using Forward = std::function<void(const core::Event&)>;
  using StepSink = std::function<void(const TraceStep&)>;

  explicit RunObserver(Forward forward) : forward_(std::move(forward)) {}
  ~RunObserver() { uninstall(); }
  RunObserver(const RunObserver&) = delete;
  RunObserver& operator=(const RunObserver&) = delete;

  // Steps go to `steps` when given (the trace, the plot); otherwise they are only counted.
  void install(StepSink steps = nullptr);
  void uninstall();

  const RunCounts& counts() const { return counts_; }
  // Why trace steps show no pose or smoothing (the tweak's globals could not be read), or
  // empty when they do. Known once a step has run.
  static std::string tweakStateProblem();
  // What the last event was, told apart: "motion wake", "time-out lighting", ... or empty.
  static std::string kindOfLighting(std::string_view watchedCall);

 private:
  void onEvent(const core::Event& event);
  void beforeStep(id receiver);
  void afterStep();

  Forward forward_;
  StepSink steps_;
  RunCounts counts_;
  bool installed_ = false;
  TraceStep current_;
  RunCounts atStepStart_;
  long long stopsAtStepStart_ = 0;
  long long stops_ = 0;  // motion updates stopped
};

}  // namespace sim
