// Reading device-motion recordings: readings a second of scanRecording, of openRecording and
// next() through the whole file, of loadRecording and of a replay of the loaded readings, for
// ResearchKit-like JSON (every field the recorder writes) and CSV made here in a temporary
// directory; and the simulator's whole replay (sim::runReplay, as `tessaro-sim replay FILE
// --quiet` runs it), each in a child process since a process holds one device, with that
// child's peak memory. ReplayOnePass is the same replay loop fed by openRecording alone, its
// summary taken from the stream at the end: what a replay costs that reads the file once.
// Python's json.load of the same JSON file runs beside it for scale.

#include "platform/device/Device.h"
#include "platform/hardware/MotionWorld.h"
#include "tools/tessaro-sim/Replay.h"
#include "tools/tessaro-sim/recordings/LoadedRecording.h"
#include "tools/tessaro-sim/recordings/Recording.h"

#include <benchmark/benchmark.h>

#include <spawn.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <charconv>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <map>
#include <ostream>
#include <string>

extern char** environ;

namespace {

enum Form { kJson, kCsv };

// Made once per process, removed when it ends.
class Recordings {
 public:
  ~Recordings() {
    std::error_code ignored;
    if (!directory_.empty()) std::filesystem::remove_all(directory_, ignored);
  }

  const std::filesystem::path& get(Form form, long long readings) {
    auto& path = made_[{form, readings}];
    if (path.empty()) path = make(form, readings);
    return path;
  }

 private:
  std::filesystem::path make(Form form, long long readings) {
    if (directory_.empty()) {
      directory_ = std::filesystem::temp_directory_path() / ("tessaro-recording-bench-" + std::to_string(::getpid()));
      std::filesystem::create_directories(directory_);
    }
    const auto path = directory_ / (std::to_string(readings) + (form == kJson ? ".json" : ".csv"));
    std::FILE* out = std::fopen(path.c_str(), "wb");
    std::string text = form == kJson ? "[" : "timestamp,gravity x,gravity y,gravity z,user x,user y,user z\n";
    for (long long i = 0; i < readings; ++i) {
      if (form == kJson) json(text, i);
      else csv(text, i);
      if (text.size() > (1u << 20)) {
        std::fwrite(text.data(), 1, text.size(), out);
        text.clear();
      }
    }
    if (form == kJson) text += "]\n";
    std::fwrite(text.data(), 1, text.size(), out);
    std::fclose(out);
    return path;
  }

  // Values with as many digits as a recorder writes, different at every reading.
  double value() {
    state_ = state_ * 6364136223846793005ULL + 1442695040888963407ULL;
    return static_cast<double>(static_cast<std::int64_t>(state_ >> 11)) / 9007199254740992.0 * 2 - 1;
  }
  static void put(std::string& text, double v) {
    char digits[32];
    const auto end = std::to_chars(digits, digits + sizeof digits, v).ptr;
    text.append(digits, end);
  }
  void axes(std::string& text, const char* name, const char* order, const char* extra = "") {
    text += '"';
    text += name;
    text += "\":{";
    for (const char* axis = order; *axis != 0; ++axis) {
      if (axis != order) text += ',';
      text += '"';
      text += *axis;
      text += "\":";
      put(text, value());
    }
    text += extra;
    text += '}';
  }
  void json(std::string& text, long long i) {
    if (i > 0) text += ',';
    text += '{';
    axes(text, "attitude", "ywzx");
    text += ",\"timestamp\":";
    put(text, 1054137.213619292 + static_cast<double>(i) * 0.01);
    text += ',';
    axes(text, "rotationRate", "xyz");
    text += ',';
    axes(text, "userAcceleration", "xyz");
    text += ',';
    axes(text, "gravity", "xyz");
    text += ",\"magneticField\":{\"y\":0,\"z\":0,\"x\":0,\"accuracy\":-1}}";
  }
  void csv(std::string& text, long long i) {
    put(text, static_cast<double>(i) * 0.01);
    for (int k = 0; k < 6; ++k) {
      text += ',';
      put(text, value());
    }
    text += '\n';
  }

  std::filesystem::path directory_;
  std::map<std::pair<Form, long long>, std::filesystem::path> made_;
  std::uint64_t state_ = 1;
};

Recordings& recordings() {
  static Recordings made;
  return made;
}

void perReading(benchmark::State& state, long long readings) {
  state.counters["readings/s"] =
      benchmark::Counter(static_cast<double>(readings), benchmark::Counter::kIsIterationInvariantRate);
}

void Scan(benchmark::State& state, Form form) {
  const auto& file = recordings().get(form, state.range(0));
  for (auto _ : state) benchmark::DoNotOptimize(recordings::scanRecording(file));
  perReading(state, state.range(0));
}

void Stream(benchmark::State& state, Form form) {
  const auto& file = recordings().get(form, state.range(0));
  for (auto _ : state) {
    auto stream = recordings::openRecording(file);
    double sum = 0;
    while (auto reading = stream->next()) sum += reading->reading.gravity.z;
    benchmark::DoNotOptimize(sum);
  }
  perReading(state, state.range(0));
}

void Load(benchmark::State& state, Form form) {
  const auto& file = recordings().get(form, state.range(0));
  for (auto _ : state) benchmark::DoNotOptimize(recordings::loadRecording(file).readings.data());
  perReading(state, state.range(0));
}

void StreamLoaded(benchmark::State& state) {
  const auto loaded = std::make_shared<const recordings::LoadedRecording>(
      recordings::loadRecording(recordings().get(kJson, state.range(0))));
  for (auto _ : state) {
    auto stream = recordings::streamOf(loaded);
    double sum = 0;
    while (auto reading = stream->next()) sum += reading->reading.gravity.z;
    benchmark::DoNotOptimize(sum);
  }
  perReading(state, state.range(0));
}

// Runs `work` in a child process; its wall time goes to the benchmark, its peak memory and
// CPU time (which other work on a shared machine does not inflate) to the counters.
template <typename Work>
void inChild(benchmark::State& state, Work work) {
  long maxRssKb = 0;
  double cpuSeconds = 0;
  for (auto _ : state) {
    const auto start = std::chrono::steady_clock::now();
    const pid_t child = work();
    int status = 0;
    rusage usage{};
    if (child < 0 || ::wait4(child, &status, 0, &usage) != child || !WIFEXITED(status) || WEXITSTATUS(status) != 0) {
      state.SkipWithError("the child failed");
      return;
    }
    state.SetIterationTime(std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count());
    maxRssKb = std::max(maxRssKb, usage.ru_maxrss);
    for (const timeval& t : {usage.ru_utime, usage.ru_stime}) cpuSeconds += static_cast<double>(t.tv_sec) + t.tv_usec / 1e6;
  }
  state.counters["maxRSS_MB"] = static_cast<double>(maxRssKb) / 1024.0;
  state.counters["childCPU_ms"] = 1000 * cpuSeconds / static_cast<double>(state.iterations());
  state.counters["readings/cpu_s"] =
      static_cast<double>(state.range(0)) * static_cast<double>(state.iterations()) / cpuSeconds;
}

void Replay(benchmark::State& state, Form form) {
  const auto& file = recordings().get(form, state.range(0));
  inChild(state, [&] {
    const pid_t child = ::fork();
    if (child != 0) return child;
    sim::ReplayOptions options;
    options.recording = file;
    std::ostream nowhere(nullptr);
    int status = 1;
    try {
      status = sim::runReplay(options, nowhere, nowhere, false);
    } catch (const std::exception& error) {
      std::fprintf(stderr, "%s\n", error.what());
    }
    std::_Exit(status);
  });
  perReading(state, state.range(0));
}

// Replay.cpp's loop (boot, lock, replay in steps of 0.1 s, one second more) without the scan.
void ReplayOnePass(benchmark::State& state, Form form) {
  const auto& file = recordings().get(form, state.range(0));
  inChild(state, [&] {
    const pid_t child = ::fork();
    if (child != 0) return child;
    device::BootOptions boot;
    boot.settings = plist::Dictionary{{"isEnabled", true}};
    device::Device device(boot);
    device.pressLockButton();
    device.runUntil(device.now());
    auto stream = recordings::openRecording(file);
    const recordings::RecordingStream* reading = stream.get();
    hardware::MotionWorld& world = hardware::motionWorld();
    world.replay(std::move(stream));
    while (!world.finished()) {
      device.runFor(0.1);
      world.at(device.now());
    }
    device.runFor(1.0);
    std::_Exit(reading->summary().readings == state.range(0) ? 0 : 1);
  });
  perReading(state, state.range(0));
}

void PythonJsonLoad(benchmark::State& state) {
  const std::string file = recordings().get(kJson, state.range(0)).string();
  inChild(state, [&] {
    std::string program = "python3", flag = "-c", code = "import json,sys; json.load(open(sys.argv[1]))";
    char* argv[] = {program.data(), flag.data(), code.data(), const_cast<char*>(file.c_str()), nullptr};
    pid_t child = -1;
    if (::posix_spawnp(&child, "python3", nullptr, nullptr, argv, environ) != 0) return pid_t{-1};
    return child;
  });
  perReading(state, state.range(0));
}

constexpr long long kSmall = 100'000;
constexpr long long kLarge = 1'000'000;

BENCHMARK_CAPTURE(Scan, Json, kJson)->Arg(kSmall)->Arg(kLarge)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(Stream, Json, kJson)->Arg(kSmall)->Arg(kLarge)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(Load, Json, kJson)->Arg(kLarge)->Unit(benchmark::kMillisecond);
BENCHMARK(StreamLoaded)->Arg(kLarge)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(Scan, Csv, kCsv)->Arg(kSmall)->Arg(kLarge)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(Stream, Csv, kCsv)->Arg(kSmall)->Arg(kLarge)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(Load, Csv, kCsv)->Arg(kLarge)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(Replay, Json, kJson)->Arg(kSmall)->Arg(kLarge)->UseManualTime()->Iterations(3)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(Replay, Csv, kCsv)->Arg(kSmall)->Arg(kLarge)->UseManualTime()->Iterations(3)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(ReplayOnePass, Json, kJson)->Arg(kLarge)->UseManualTime()->Iterations(3)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(ReplayOnePass, Csv, kCsv)->Arg(kLarge)->UseManualTime()->Iterations(3)->Unit(benchmark::kMillisecond);
BENCHMARK(PythonJsonLoad)->Arg(kLarge)->UseManualTime()->Iterations(3)->Unit(benchmark::kMillisecond);

}  // namespace
