// Motion wake's costs inside the device: one classification step sent through the runtime
// against the same decision as a plain C++ function, and replay throughput through the
// whole device (run loop, motion manager, two classification steps per interval).

#include "bench/support/AllocationCounter.h"
#include "platform/hardware/MotionWorld.h"
#include "platform/device/Device.h"
#include "platform/objc/AutoreleasePool.h"
#include "platform/objc/Message.h"
#include "tweak/motion/Poses.h"

#include <benchmark/benchmark.h>

#include <memory>

namespace {

using namespace objc::literals;
using Reading = hardware::MotionReading;
using hardware::Vector3;

// Pick-up mode with the sensitivity setting on: the step that does the most work on a
// reading that wakes nothing. No motion time-out, so sampling never ends by itself.
device::Device& lockedDevice() {
  static device::Device* booted = [] {
    device::BootOptions options;
    options.settings = plist::Dictionary{{"isEnabled", true},
                                         {"isWakeScreenSensitivityEnabled", true},
                                         {"disableDetectionMode", 1},
                                         {"isUpdateIntervalEnabled", true},
                                         {"updateIntervalSlider", 0}};
    hardware::motionWorld().set({{0.01, -0.02, 0.01}, {0, 0, -1}});
    auto* device = new device::Device(options);
    device->pressLockButton();
    device->runFor(0.1);
    return device;
  }();
  return *booted;
}

id lockScreenManager() { return objc::send<id()>(objc::getClass("SBLockScreenManager"), "sharedInstance"_sel); }

void ClassificationStepThroughRuntime(benchmark::State& state) {
  lockedDevice();
  objc::AutoreleasePool pool;
  id manager = lockScreenManager();
  const std::int64_t before = bench::allocationCount();
  for (auto _ : state) objc::send<void()>(manager, "getAcceleration"_sel);
  const std::int64_t after = bench::allocationCount();
  state.counters["allocs/step"] =
      before < 0 ? -1.0 : static_cast<double>(after - before) / static_cast<double>(state.iterations());
}
BENCHMARK(ClassificationStepThroughRuntime);

// The same decision as plain C++ over a snapshot: what the runtime's sends cost on top.
struct PlainInputs {
  bool enabled = true, lowPower = false, homeButtonMode = false, inCall = false, screenOn = false;
  int wakeMode = 0, wakeGestureMode = 0;
  bool sensitivity = true;
  float motionSensitivity = 7.0f;
  Reading reading;
};
struct PlainState {
  long long motionType = 5;
  float x = 0, y = 0, z = 0;
  int wakes = 0;
};

[[gnu::noinline]] void plainStep(const PlainInputs& in, PlainState& s) {
  if (in.sensitivity || in.wakeGestureMode != 0) {
    s.x = static_cast<float>(in.reading.userAcceleration.x);
    s.y = static_cast<float>(in.reading.userAcceleration.y);
    s.z = static_cast<float>(in.reading.userAcceleration.z);
  }
  if (!in.enabled || in.lowPower || in.homeButtonMode || in.inCall) return;
  if ((in.wakeMode != 0 && in.wakeMode != 1) || in.screenOn) return;
  const Vector3& g = in.reading.gravity;
  const long long pose = classifyPose(g.x, g.y, g.z);
  bool wake = pose == kPoseRaised && s.motionType != kPoseRaised;
  if (in.sensitivity) {
    s.x = blend(s.x, in.reading.userAcceleration.x);
    s.y = blend(s.y, in.reading.userAcceleration.y);
    s.z = blend(s.z, in.reading.userAcceleration.z);
    wake = wake && !isMoving(s.x, s.y, s.z, in.motionSensitivity / 50.0f);
  }
  s.wakes += wake;
  s.motionType = pose;
}

void ClassificationStepPlainFunction(benchmark::State& state) {
  PlainInputs inputs;
  inputs.reading = {{0.01, -0.02, 0.01}, {0, 0, -1}};
  PlainState plain;
  for (auto _ : state) {
    plainStep(inputs, plain);
    benchmark::ClobberMemory();
  }
  benchmark::DoNotOptimize(plain);
}
BENCHMARK(ClassificationStepPlainFunction);

// A resting recording at 100 readings a second, made as it is read.
class RestingRecording final : public hardware::ReadingStream {
 public:
  explicit RestingRecording(long long count) : remaining_(count) {}
  std::optional<hardware::TimedReading> next() override {
    if (remaining_-- <= 0) return std::nullopt;
    time_ += 0.01;
    return hardware::TimedReading{time_, {{0.001, -0.002, 0.001}, {0.0, 0.01, -0.9999}}};
  }

 private:
  long long remaining_;
  double time_ = 0;
};

void ReplayThroughTheDevice(benchmark::State& state) {
  device::Device& device = lockedDevice();
  const long long readings = state.range(0);
  const std::int64_t before = bench::allocationCount();
  for (auto _ : state) {
    hardware::motionWorld().replay(std::make_unique<RestingRecording>(readings));
    while (!hardware::motionWorld().finished()) device.runFor(1.0);
  }
  state.counters["readings/s"] = benchmark::Counter(static_cast<double>(readings), benchmark::Counter::kIsIterationInvariantRate);
  const std::int64_t after = bench::allocationCount();
  state.counters["allocs/reading"] = before < 0 ? -1.0
                                                : static_cast<double>(after - before) /
                                                      static_cast<double>(readings * state.iterations());
}
BENCHMARK(ReplayThroughTheDevice)->Arg(100000)->Unit(benchmark::kMillisecond);

}  // namespace
