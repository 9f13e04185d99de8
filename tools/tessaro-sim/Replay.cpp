#include "tools/tessaro-sim/Replay.h"

#include "platform/hardware/MotionWorld.h"
#include "platform/device/Device.h"
#include "tools/tessaro-sim/recordings/Recording.h"

#include <chrono>
#include <cstdio>

namespace sim {

namespace {

// Device seconds a step of the replay loop runs: short enough that readings are taken in
// step with the clock, long enough that a long recording costs little.
constexpr double kStep = 0.1;

// "\r12 of 30 s" on a terminal, wiped before a line of the timeline goes out. Redrawn a
// few times a wall-clock second at most: a virtual-time replay is over before it shows.
class Progress {
 public:
  Progress(std::ostream& out, bool enabled, std::string name, double total)
      : out_(out), enabled_(enabled), name_(std::move(name)), total_(total) {}

  void update(double elapsed) {
    const auto now = std::chrono::steady_clock::now();
    if (!enabled_ || now - shown_ < std::chrono::milliseconds(200)) return;
    shown_ = now;
    char text[64];
    std::snprintf(text, sizeof text, ": %.1f of %.1f s", elapsed, total_);
    out_ << "\rreplaying " << name_ << text << std::flush;
    visible_ = true;
  }
  void clear() {
    if (!visible_) return;
    out_ << "\r\033[K" << std::flush;
    visible_ = false;
  }

 private:
  std::ostream& out_;
  bool enabled_;
  std::string name_;
  double total_;
  std::chrono::steady_clock::time_point shown_ = std::chrono::steady_clock::now();
  bool visible_ = false;
};

std::string plural(long long n, const char* one, const char* many) {
  return std::to_string(n) + " " + (n == 1 ? one : many);
}

}  // namespace

int runReplay(const ReplayOptions& options, std::ostream& out, std::ostream& progressOut, bool showProgress) {
  const recordings::RecordingSummary recording = recordings::scanRecording(options.recording);

  device::BootOptions boot;
  boot.settings = plist::Dictionary{{"isEnabled", true}};
  for (const auto& [key, value] : options.settings) boot.settings->insert_or_assign(key, value);
  boot.realtime = options.realtime;
  device::Device device(boot);
  device.pressLockButton();
  device.runUntil(device.now());

  Timeline timeline(out, options.format);
  Progress progress(progressOut, showProgress, options.recording.filename().string(), recording.seconds());
  timeline.setBeforeLine([&progress] { progress.clear(); });
  long long wakes = 0, lockPresses = 0, timeouts = 0;
  core::eventLog().setListener([&](const core::Event& event) {
    long long* counter = nullptr;
    if (event.kind == "display" && event.text == "on") counter = &wakes;
    if (event.kind == "button" && event.fields.value("button", "") == "lock") counter = &lockPresses;
    if (event.kind == "timer" && event.fields.value("selector", "") == "disableDetection") counter = &timeouts;
    if (counter == nullptr) return;
    ++*counter;
    timeline.event(event);
  });

  const double start = device.now();
  hardware::MotionWorld& world = hardware::motionWorld();
  world.replay(recordings::openRecording(options.recording));
  // The stream is consumed here too, so it reaches its end while nothing samples.
  while (!world.finished() && device.now() <= start + recording.seconds() + 1.0) {
    device.runFor(kStep);
    world.at(device.now());
    progress.update(device.now() - start);
  }
  device.runFor(1.0);
  core::eventLog().setListener(nullptr);
  progress.clear();

  const long long readings = world.replayedReadings();
  if (options.format == Format::Json) {
    out << "{\"summary\": {\"readings\": " << readings << ", \"wakes\": " << wakes << ", \"lockPresses\": " << lockPresses
        << ", \"timeouts\": " << timeouts << "}}\n";
  } else {
    char seconds[32];
    std::snprintf(seconds, sizeof seconds, "%.1f s", recording.seconds());
    out << "summary: " << plural(readings, "reading", "readings") << " over " << seconds << "; "
        << plural(wakes, "wake", "wakes") << ", " << plural(lockPresses, "lock press", "lock presses") << ", "
        << plural(timeouts, "time-out", "time-outs") << "\n";
  }
  out.flush();
  return 0;
}

}  // namespace sim
