// The home-button wake's cost inside the device: one click of the physical button, through
// FrontBoard's gesture environment and the four recognizers, to the tweak's single-tap
// action, performTheAction, the vibration and the wake; and the same click on a lit display
// (where performTheAction declines), performTheAction alone, and one entry of the event log,
// to tell where the time goes.

#include "bench/support/AllocationCounter.h"
#include "platform/core/EventLog.h"
#include "platform/device/Device.h"
#include "platform/objc/AutoreleasePool.h"
#include "platform/objc/Message.h"
#include "platform/springboard/SpringBoard.h"

#include <benchmark/benchmark.h>

namespace {

using namespace objc::literals;

// Single-press mode with vibration, no time-out, so the feature stays armed.
device::Device& homeButtonDevice() {
  static device::Device* booted = [] {
    device::BootOptions options;
    options.settings = plist::Dictionary{{"isEnabled", true},
                                         {"isAllowTapOnScreenOffEnabled", true},
                                         {"tapToWakeMode", 0},
                                         {"isVibrationEnabled", true},
                                         {"disableDetectionMode", 1}};
    auto* device = new device::Device(options);
    device->runFor(1.0);
    return device;
  }();
  return *booted;
}

// A click, then the run loop through the double-press window, when the single tap fires.
void click(device::Device& device) {
  device.clickHomeButton(0.1);
  device.runFor(0.4);
}

void reportAllocations(benchmark::State& state, std::int64_t before) {
  const std::int64_t after = bench::allocationCount();
  state.counters["allocs/click"] =
      before < 0 ? -1.0 : static_cast<double>(after - before) / static_cast<double>(state.iterations());
}

void ClickToWakeOnADarkDisplay(benchmark::State& state) {
  device::Device& device = homeButtonDevice();
  std::int64_t counted = 0;
  for (auto _ : state) {
    state.PauseTiming();
    if (device.displayOn()) device.pressLockButton();
    core::eventLog().clear();
    const std::int64_t before = bench::allocationCount();
    state.ResumeTiming();
    click(device);
    counted += bench::allocationCount() - before;
  }
  if (!device.displayOn()) state.SkipWithError("the click did not wake the display");
  state.counters["allocs/click"] = bench::allocationCount() < 0 ? -1.0 : static_cast<double>(counted) / static_cast<double>(state.iterations());
}
BENCHMARK(ClickToWakeOnADarkDisplay)->Unit(benchmark::kMicrosecond);

void ClickOnALitDisplay(benchmark::State& state) {
  device::Device& device = homeButtonDevice();
  if (!device.displayOn()) device.pressLockButton();
  const std::int64_t before = bench::allocationCount();
  for (auto _ : state) {
    click(device);
    state.PauseTiming();
    core::eventLog().clear();
    state.ResumeTiming();
  }
  reportAllocations(state, before);
}
BENCHMARK(ClickOnALitDisplay)->Unit(benchmark::kMicrosecond);

void PerformTheActionOnALitDisplay(benchmark::State& state) {
  homeButtonDevice();
  objc::AutoreleasePool pool;
  id button = springboard::homeHardwareButton();
  for (auto _ : state) objc::send<void()>(button, "performTheAction"_sel);
  core::eventLog().clear();
}
BENCHMARK(PerformTheActionOnALitDisplay);

// What one entry of the device's event log costs, as a recognizer's move records it.
void RecordOneGestureEvent(benchmark::State& state) {
  const std::int64_t before = bench::allocationCount();
  std::int64_t n = 0;
  for (auto _ : state) {
    core::record("gesture", "UILongPressGestureRecognizer(longTapFired:) possible -> failed",
                 {{"recognizer", "UILongPressGestureRecognizer(longTapFired:)"}, {"serial", 3}, {"from", "possible"},
                  {"to", "failed"}});
    if (++n % 4096 == 0) core::eventLog().clear();
  }
  const std::int64_t after = bench::allocationCount();
  state.counters["allocs/event"] =
      before < 0 ? -1.0 : static_cast<double>(after - before) / static_cast<double>(state.iterations());
}
BENCHMARK(RecordOneGestureEvent);

}  // namespace
