// The live view's frames, as `tessaro-sim serve` makes them while Control Center animates:
// Tessaro's toggle tapped (its colour fades, its glyph changes) and the device run on in
// steps of a 60th of a second, each step's screen drawn, compared with the last frame and,
// when it changed, encoded as PNG. Frames a second are the items counter. A second case
// encodes every frame, as if each had changed: the most a frame can cost.

#include "platform/coregraphics/PNG.h"
#include "bench/support/ControlCenterOpen.h"
#include "platform/device/Device.h"
#include "platform/objc/AutoreleasePool.h"
#include "platform/uikit/UIKit.h"

#include <benchmark/benchmark.h>

namespace {

constexpr const char* kToggle = "com.brel.control-center.tessaromodule";
constexpr double kStep = 1.0 / 60;

device::Device& deviceWithControlCenterOpen() { return benchsupport::deviceWithControlCenterOpen(); }

void LiveFramesDuringToggleAnimation(benchmark::State& state) {
  device::Device& device = deviceWithControlCenterOpen();
  std::vector<std::uint8_t> png;
  std::int64_t frames = 0, changed = 0;
  for (auto _ : state) {
    // A tap every 30 frames (half a second): the fade runs through each half second.
    if (frames % 30 == 0) device.tapToggle(kToggle);
    device.runFor(kStep);
    changed += device.renderScreenFrame(png) ? 1 : 0;
    ++frames;
  }
  state.SetItemsProcessed(frames);
  state.counters["changed"] = benchmark::Counter(static_cast<double>(changed) / static_cast<double>(frames));
  state.counters["png_kB"] = benchmark::Counter(static_cast<double>(png.size()) / 1000.0);
}
BENCHMARK(LiveFramesDuringToggleAnimation)->Unit(benchmark::kMillisecond);

void RenderAndEncodeEveryFrame(benchmark::State& state) {
  deviceWithControlCenterOpen();
  objc::AutoreleasePool pool;
  std::size_t bytes = 0;
  for (auto _ : state) {
    CGImageRef image = uikit::renderScreen();
    bytes = coregraphics::encodePNGForSpeed(image).size();
    CGImageRelease(image);
  }
  state.SetItemsProcessed(state.iterations());
  state.counters["png_kB"] = benchmark::Counter(static_cast<double>(bytes) / 1000.0);
}
BENCHMARK(RenderAndEncodeEveryFrame)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
