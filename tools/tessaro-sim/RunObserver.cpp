#include "tools/tessaro-sim/RunObserver.h"

#include "platform/core/RunLoop.h"
#include "platform/coremotion/CMAcceleration.h"
#include "platform/device/MessageTrace.h"
#include "platform/objc/Message.h"
#include "tools/tessaro-sim/TweakGlobals.h"

namespace sim {

namespace {

using namespace objc::literals;
using objc::send;

// The tweak's motion state, found as a debugger finds it: by name in the library's symbol
// table. Looked up at the first step (the tweak is loaded by then, and never unloaded); a
// global that cannot be found stays null, and `problem` says why.
struct TweakMotionState {
  std::string problem;
  const long long* motionType = tweakGlobalAs<long long>("motionType", problem);
  const float* rollingX = tweakGlobalAs<float>("rollingX", problem);
  const float* rollingY = tweakGlobalAs<float>("rollingY", problem);
  const float* rollingZ = tweakGlobalAs<float>("rollingZ", problem);
};

const TweakMotionState& tweakMotionState() {
  static const TweakMotionState state;
  return state;
}

hardware::Vector3 toVector(const CMAcceleration& a) { return {a.x, a.y, a.z}; }

void join(std::string& decision, const char* what) {
  if (!decision.empty()) decision += "+";
  decision += what;
}

}  // namespace

std::string poseName(long long pose) {
  switch (pose) {
    case 0: return "raised";
    case 1: return "face up";
    case 2: return "face down";
    case 5: return "none";
    default: return std::to_string(pose);
  }
}

std::string RunObserver::kindOfLighting(std::string_view watchedCall) {
  if (watchedCall == "-[SBLockScreenManager updateMotionType]") return "motion wake";
  if (watchedCall == "-[SBLockScreenManager disableDetection]" || watchedCall == "-[SBUIBiometricResource disableDetection]") {
    return "time-out lighting";
  }
  if (watchedCall == "-[SBHomeHardwareButton performTheAction]") return "home-button wake";
  return "";
}

void RunObserver::install(StepSink steps) {
  steps_ = std::move(steps);
  installed_ = true;
  core::eventLog().setListener([this](const core::Event& event) { onEvent(event); });
  device::setClassificationObserver([this](id receiver) { beforeStep(receiver); }, [this](id) { afterStep(); });
}

void RunObserver::uninstall() {
  if (!installed_) return;
  installed_ = false;
  core::eventLog().setListener(nullptr);
  device::setClassificationObserver(nullptr, nullptr);
}

void RunObserver::onEvent(const core::Event& event) {
  if (event.kind == "display" && event.text == "on") {
    const std::string kind = kindOfLighting(device::watchedCallInProgress());
    if (kind == "motion wake") {
      if (counts_.motionWakes++ == 0) counts_.firstMotionWake = event.time;
    } else if (kind == "time-out lighting") {
      ++counts_.timeoutLightings;
    } else if (kind == "home-button wake") {
      ++counts_.homeButtonWakes;
    } else {
      ++counts_.otherLightings;
    }
    if (forward_) {
      core::Event told = event;
      if (told.fields.is_object()) told.fields["lighting"] = kind.empty() ? "other" : kind;
      forward_(told);
    }
    return;
  }
  if (event.kind == "button" && event.fields.value("button", "") == "lock") {
    if (event.fields.value("simulated", false)) ++counts_.lockPresses;
  } else if (event.kind == "timer.scheduled" && event.fields.value("class", "") == "SBLockScreenManager" &&
             event.fields.value("selector", "") == "disableDetection") {
    if (counts_.timeoutsArmed++ == 0) counts_.timeoutArmed = event.time;
  } else if (event.kind == "timer" && event.fields.value("selector", "") == "disableDetection") {
    ++counts_.timeouts;
  } else if (event.kind == "motion" && event.text.starts_with("updates stopped")) {
    ++stops_;
  }
  if (forward_) forward_(event);
}

void RunObserver::beforeStep(id receiver) {
  current_ = TraceStep{};
  atStepStart_ = counts_;
  stopsAtStepStart_ = stops_;
  if (!steps_) return;
  id manager = send<id()>(receiver, "motionManager"_sel);
  id reading = manager != nil ? send<id()>(manager, "deviceMotion"_sel) : nil;
  if (reading != nil) {
    current_.hasReading = true;
    current_.gravity = toVector(send<CMAcceleration()>(reading, "gravity"_sel));
    current_.userAcceleration = toVector(send<CMAcceleration()>(reading, "userAcceleration"_sel));
  }
}

std::string RunObserver::tweakStateProblem() { return tweakMotionState().problem; }

void RunObserver::afterStep() {
  ++counts_.steps;
  if (!steps_) return;
  current_.time = core::RunLoop::main().now();
  const TweakMotionState& tweak = tweakMotionState();
  if (tweak.motionType) current_.pose = *tweak.motionType;
  if (tweak.rollingX && tweak.rollingY && tweak.rollingZ) {
    current_.rolling = hardware::Vector3{*tweak.rollingX, *tweak.rollingY, *tweak.rollingZ};
  }
  std::string decision;
  if (counts_.motionWakes > atStepStart_.motionWakes) join(decision, "wake");
  if (counts_.lockPresses > atStepStart_.lockPresses) join(decision, "lock");
  if (stops_ > stopsAtStepStart_) join(decision, "end detection");
  if (counts_.timeoutsArmed > atStepStart_.timeoutsArmed) join(decision, "arm time-out");
  current_.decision = decision.empty() ? "none" : decision;
  steps_(current_);
}

}  // namespace sim
