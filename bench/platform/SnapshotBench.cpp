// A full-screen snapshot: Control Center open over the home screen, Tessaro's toggle
// coloured, rendered at the screen's scale. `--screen=5.5` for the 3x phone; the 4.7-inch
// 2x one otherwise. Rendering and, for comparison, rendering and encoding the PNG.

#include "platform/coregraphics/PNG.h"
#include "bench/support/ControlCenterOpen.h"
#include "platform/device/Device.h"
#include "platform/objc/AutoreleasePool.h"
#include "platform/uikit/UIKit.h"

#include <benchmark/benchmark.h>

#include <cstring>
#include <filesystem>
#include <memory>

namespace {

uikit::Screen screen = uikit::Screen::FourPointSevenInch;

device::Device& deviceWithControlCenterOpen() { return benchsupport::deviceWithControlCenterOpen(screen); }

void RenderScreen(benchmark::State& state) {
  deviceWithControlCenterOpen();
  objc::AutoreleasePool pool;
  for (auto _ : state) {
    CGImageRef image = uikit::renderScreen();
    benchmark::DoNotOptimize(image);
    CGImageRelease(image);
  }
  state.counters["pixels"] = static_cast<double>(uikit::screenSize().width * uikit::screenSize().height *
                                                 uikit::screenScale() * uikit::screenScale());
}
BENCHMARK(RenderScreen)->Unit(benchmark::kMillisecond);

void RenderScreenAndWritePNG(benchmark::State& state) {
  deviceWithControlCenterOpen();
  objc::AutoreleasePool pool;
  const auto file = std::filesystem::temp_directory_path() / "tessaro-snapshot-bench.png";
  for (auto _ : state) {
    CGImageRef image = uikit::renderScreen();
    std::string why;
    benchmark::DoNotOptimize(coregraphics::writePNG(image, file, why));
    CGImageRelease(image);
  }
  std::filesystem::remove(file);
}
BENCHMARK(RenderScreenAndWritePNG)->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv) {
  for (int i = 1; i < argc; ++i) {
    if (std::strcmp(argv[i], "--screen=5.5") == 0) screen = uikit::Screen::FivePointFiveInch;
  }
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
