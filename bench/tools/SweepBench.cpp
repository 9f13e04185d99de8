// Sweeps run by the built tessaro-sim as a user runs them, beside the replay a cell stands
// for. The sweep of the shared recordings: the four of them under wakeGestureMode 0,1,2 ×
// motionSenstivity 0.5,1,1.5,2,3 × wakeMode 0,1,2, 180 cells, with --jobs 1 and --jobs 2;
// and one `tessaro-sim replay --quiet` process of each recording.
// Goals on a two-core machine: the sweep with --jobs 1 at most 12 times one replay process;
// --jobs 2 at least 1.8 times as fast as --jobs 1. The counters give each run's CPU time
// (children included), which other work on a shared machine inflates less than wall time.

#include <benchmark/benchmark.h>

#include <sys/resource.h>
#include <sys/wait.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <string>

namespace {

const std::filesystem::path kShared = TESSARO_MOTION_RECORDINGS;
constexpr const char* kRecordings[] = {"flat-face-up.json", "hand-in-lap.json", "stand-in-pocket.json", "walk-in-pocket.json"};

std::string quoted(const std::string& word) { return "'" + word + "'"; }

double childCpuSeconds() {
  rusage usage{};
  ::getrusage(RUSAGE_CHILDREN, &usage);
  double seconds = 0;
  for (const timeval& t : {usage.ru_utime, usage.ru_stime}) seconds += static_cast<double>(t.tv_sec) + t.tv_usec / 1e6;
  return seconds;
}

// Runs `command` once an iteration; its wall time is the iteration's, its CPU time a counter.
void runEach(benchmark::State& state, const std::string& command) {
  if (!std::filesystem::is_directory(kShared)) {
    state.SkipWithError("no shared recordings beside the repository");
    return;
  }
  double cpu = 0;
  for (auto _ : state) {
    const double before = childCpuSeconds();
    const auto start = std::chrono::steady_clock::now();
    if (std::system(command.c_str()) != 0) {
      state.SkipWithError(("failed: " + command).c_str());
      return;
    }
    state.SetIterationTime(std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count());
    cpu += childCpuSeconds() - before;
  }
  state.counters["cpu_ms"] = 1000 * cpu / static_cast<double>(state.iterations());
}

void Sweep180Cells(benchmark::State& state) {
  std::string command = quoted(TESSARO_SIM) + " sweep";
  for (const char* name : kRecordings) command += " " + quoted((kShared / name).string());
  command += " --grid wakeGestureMode=0,1,2 --grid motionSenstivity=0.5,1,1.5,2,3 --grid wakeMode=0,1,2 --csv --jobs " +
             std::to_string(state.range(0)) + " >/dev/null 2>&1";
  runEach(state, command);
  state.counters["cells/s"] = benchmark::Counter(180.0 * static_cast<double>(state.iterations()), benchmark::Counter::kIsRate);
}
BENCHMARK(Sweep180Cells)->Arg(1)->Arg(2)->Unit(benchmark::kMillisecond)->UseManualTime()->MinTime(5.0);

void ReplayProcess(benchmark::State& state) {
  runEach(state, quoted(TESSARO_SIM) + " replay " + quoted((kShared / kRecordings[state.range(0)]).string()) +
                     " --quiet >/dev/null 2>&1");
  state.SetLabel(kRecordings[state.range(0)]);
}
BENCHMARK(ReplayProcess)->DenseRange(0, 3)->Unit(benchmark::kMillisecond)->UseManualTime()->MinTime(2.0);

}  // namespace
