// A sweep of 100 cells (motionSenstivity 1 to 100) over one generated 3,000-reading
// recording, run by the built tessaro-sim as a user runs it, with --jobs 1 and --jobs 2.
// Goal: on a two-core machine, --jobs 2 at least 1.8 times as fast as --jobs 1.

#include <benchmark/benchmark.h>

#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

namespace {

const std::filesystem::path& recording() {
  static const std::filesystem::path file = [] {
    const auto path = std::filesystem::temp_directory_path() / ("tessaro-sweep-bench-" + std::to_string(::getpid()) + ".csv");
    std::ofstream out(path);
    out << "timestamp,gx,gy,gz,ux,uy,uz\n";
    for (int i = 0; i < 3000; ++i) {
      const double t = i * 0.01;
      // Flat, then raised from 20 s on, with a little shake throughout.
      out << t << (t < 20 ? ",0,0,-1," : ",0,-0.85,-0.5,") << (i % 7) * 0.01 << ",0,0\n";
    }
    return path;
  }();
  return file;
}

void Sweep100Cells(benchmark::State& state) {
  std::string grid = "motionSenstivity=";
  for (int i = 1; i <= 100; ++i) grid += (i > 1 ? "," : "") + std::to_string(i);
  const std::string command = std::string("'") + TESSARO_SIM + "' sweep '" + recording().string() + "' --grid " + grid +
                              " --set isWakeScreenSensitivityEnabled=YES --csv --jobs " + std::to_string(state.range(0)) +
                              " >/dev/null";
  for (auto _ : state) {
    if (std::system(command.c_str()) != 0) state.SkipWithError("the sweep failed");
  }
  state.counters["cells/s"] = benchmark::Counter(100.0 * static_cast<double>(state.iterations()), benchmark::Counter::kIsRate);
}
BENCHMARK(Sweep100Cells)->Arg(1)->Arg(2)->Unit(benchmark::kMillisecond)->UseRealTime()->MinTime(3.0);

}  // namespace
