#include "tools/tessaro-sim/Replay.h"

#include "platform/device/Device.h"
#include "platform/hardware/MotionWorld.h"
#include "tools/tessaro-sim/Plot.h"
#include "tools/tessaro-sim/Scenario.h"
#include "tools/tessaro-sim/SettingsKeys.h"
#include "tools/tessaro-sim/TraceCsv.h"
#include "tools/tessaro-sim/recordings/Recording.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <iostream>

namespace sim {

namespace {

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

std::string secondsText(double seconds) {
  char text[32];
  std::snprintf(text, sizeof text, "%.3f s", seconds);
  return text;
}

// What a replay's timeline shows of the device's events.
bool shown(const core::Event& event) {
  if (event.kind == "display") return event.text == "on";
  if (event.kind == "button") return event.fields.value("simulated", false);
  if (event.kind == "timer" || event.kind == "timer.scheduled") return event.fields.value("selector", "") == "disableDetection";
  return false;
}

nlohmann::ordered_json vectorJson(const hardware::Vector3& v) { return {v.x, v.y, v.z}; }

std::string stepText(const TraceStep& step) {
  char text[256];
  if (step.hasReading) {
    std::snprintf(text, sizeof text, "g (%+.3f %+.3f %+.3f) a (%+.3f %+.3f %+.3f)", step.gravity.x, step.gravity.y,
                  step.gravity.z, step.userAcceleration.x, step.userAcceleration.y, step.userAcceleration.z);
  } else {
    std::snprintf(text, sizeof text, "no reading yet (all zeros)");
  }
  std::string line = text;
  line += " pose " + (step.pose ? poseName(*step.pose) : std::string("?"));
  if (step.rolling) {
    std::snprintf(text, sizeof text, " rolling (%+.3f %+.3f %+.3f)", step.rolling->x, step.rolling->y, step.rolling->z);
    line += text;
  }
  return line + " -> " + step.decision;
}

}  // namespace

std::string describeCounts(const RunCounts& counts) {
  std::string text = plural(counts.motionWakes, "motion wake", "motion wakes") + ", " +
                     plural(counts.timeoutLightings, "time-out lighting", "time-out lightings") + ", " +
                     plural(counts.homeButtonWakes, "home-button wake", "home-button wakes") + ", " +
                     plural(counts.lockPresses, "lock press", "lock presses");
  if (counts.otherLightings > 0) text += ", " + plural(counts.otherLightings, "other lighting", "other lightings");
  text += counts.timeoutArmed ? "; time-out armed at " + secondsText(*counts.timeoutArmed) : "; no time-out armed";
  if (counts.firstMotionWake) text += "; first motion wake at " + secondsText(*counts.firstMotionWake);
  return text;
}

nlohmann::ordered_json countsJson(const RunCounts& counts) {
  nlohmann::ordered_json json;
  json["motionWakes"] = counts.motionWakes;
  json["timeoutLightings"] = counts.timeoutLightings;
  json["homeButtonWakes"] = counts.homeButtonWakes;
  json["otherLightings"] = counts.otherLightings;
  json["lockPresses"] = counts.lockPresses;
  json["timeouts"] = counts.timeouts;
  json["steps"] = counts.steps;
  json["timeoutArmed"] = counts.timeoutArmed ? nlohmann::ordered_json(Timeline::rounded(*counts.timeoutArmed)) : nullptr;
  json["firstMotionWake"] =
      counts.firstMotionWake ? nlohmann::ordered_json(Timeline::rounded(*counts.firstMotionWake)) : nullptr;
  return json;
}

namespace {

std::optional<double> optionalNumber(const nlohmann::json& json, const char* key) {
  const auto found = json.find(key);
  if (found == json.end() || !found->is_number()) return std::nullopt;
  return found->get<double>();
}

}  // namespace

RunCounts countsFromJson(const nlohmann::json& json) {
  RunCounts counts;
  counts.motionWakes = json.value("motionWakes", 0LL);
  counts.timeoutLightings = json.value("timeoutLightings", 0LL);
  counts.homeButtonWakes = json.value("homeButtonWakes", 0LL);
  counts.otherLightings = json.value("otherLightings", 0LL);
  counts.lockPresses = json.value("lockPresses", 0LL);
  counts.timeouts = json.value("timeouts", 0LL);
  counts.steps = json.value("steps", 0LL);
  counts.timeoutArmed = optionalNumber(json, "timeoutArmed");
  counts.firstMotionWake = optionalNumber(json, "firstMotionWake");
  return counts;
}

ReplayResult replay(const ReplayOptions& options, std::ostream& out, std::ostream& progressOut, bool showProgress) {
  ReplayResult result;
  std::function<std::unique_ptr<hardware::ReadingStream>()> open = options.readings;
  const recordings::RecordingSummary summary = open && options.summary ? *options.summary
                                                                        : recordings::scanRecording(options.recording);
  if (!open) open = [file = options.recording] { return recordings::openRecording(file); };
  result.readings = summary.readings;
  result.seconds = summary.seconds();

  device::BootOptions boot;
  // What the settings file holds, as the tweak will read it, and how the header tells it.
  plist::Dictionary settings{{"isEnabled", true}};
  std::string fileText;
  if (options.settingsFile) {
    const GivenFile& given = *options.settingsFile;
    const auto contents = dictionaryOf(given.bytes);
    fileText = given.path.string() + " as given (" + std::to_string(given.bytes.size()) + " bytes)";
    if (!contents && !options.settings.empty()) {
      throw ScenarioError(given.path.string() + ": holds no property-list dictionary, so --set cannot change a key in it");
    }
    if (!contents) fileText += ": no property-list dictionary, which reads as no file";
    settings = contents.value_or(plist::Dictionary{});
    // Unchanged, the bytes go in as they are; a --set rewrites the file as an editor would.
    if (options.settings.empty()) {
      boot.rawFiles.emplace_back(device::kSettingsPath, std::vector<std::uint8_t>(given.bytes.begin(), given.bytes.end()));
    } else {
      fileText += " with --set";
    }
  }
  for (const auto& [key, value] : options.settings) settings.insert_or_assign(key, value);
  if (boot.rawFiles.empty()) boot.settings = settings;
  if (fileText.empty()) fileText = describeSettings(settings);
  else if (!settings.empty()) fileText += ": " + describeSettings(settings);
  boot.realtime = options.realtime;
  boot.root = options.root;

  std::unique_ptr<PlotRecorder> plot;
  if (!options.plot.empty()) plot = std::make_unique<PlotRecorder>(options.plot);  // checks gnuplot first
  std::unique_ptr<TraceCsv> csv;
  if (!options.traceCsv.empty()) csv = std::make_unique<TraceCsv>(options.traceCsv);

  Timeline timeline(out, options.format);
  const SettingsExplained explained = explainSettings(settings);
  if (!options.quiet) {
    nlohmann::ordered_json fields;
    fields["recording"] = {{"file", options.recording.string()}, {"readings", result.readings},
                           {"seconds", Timeline::rounded(result.seconds)}};
    fields["given"] = describedSettings(options.settings);
    for (const auto& [key, value] : explained.json.items()) fields[key] = value;
    if (options.format == Format::Json) {
      std::string text;
      for (const std::string& line : explained.lines) text += (text.empty() ? "" : "; ") + line;
      timeline.emit(0, "settings", text, fields);
    } else {
      timeline.emit(0, "settings", "settings file: " + fileText + "; the rest at their defaults");
      for (const std::string& line : explained.lines) timeline.emit(0, "settings", line);
    }
  }

  device::Device device(boot);
  device.log().setKeepEvents(false);
  Progress progress(progressOut, showProgress && !options.quiet, options.recording.filename().string(), result.seconds);
  timeline.setBeforeLine([&progress] { progress.clear(); });

  RunObserver observer([&](const core::Event& event) {
    if (plot) plot->event(event);
    if (shown(event)) timeline.event(event);
  });
  const bool wantSteps = options.trace || csv || plot;
  observer.install(wantSteps ? RunObserver::StepSink([&](const TraceStep& step) {
    if (options.trace) {
      nlohmann::ordered_json fields;
      fields["gravity"] = step.hasReading ? vectorJson(step.gravity) : nullptr;
      fields["userAcceleration"] = step.hasReading ? vectorJson(step.userAcceleration) : nullptr;
      fields["pose"] = step.pose ? nlohmann::ordered_json(poseName(*step.pose)) : nullptr;
      fields["rolling"] = step.rolling ? vectorJson(*step.rolling) : nullptr;
      fields["decision"] = step.decision;
      timeline.emit(step.time, "step", stepText(step), fields);
    }
    if (csv) csv->write(step);
    if (plot) plot->step(step);
  }) : RunObserver::StepSink());

  device.pressLockButton();
  device.runUntil(device.now());

  const double start = device.now();
  hardware::MotionWorld& world = hardware::motionWorld();
  world.replay(open());
  if (plot) plot->setRecording(open, start, explained);
  // From one piece of due work to the next: nothing else changes the device. The stream is
  // consumed here too, so it reaches its end while nothing samples.
  const double end = start + result.seconds + 1.0;
  while (device.now() < end) {
    device.runUntil(std::min(device.nextWorkTime(), end));
    world.at(device.now());
    progress.update(device.now() - start);
  }
  observer.uninstall();
  progress.clear();
  if (wantSteps && observer.counts().steps > 0) {
    if (const std::string problem = RunObserver::tweakStateProblem(); !problem.empty()) {
      std::cerr << "tessaro-sim: warning: the trace shows no pose or smoothing: " << problem << "\n";
    }
  }
  result.counts = observer.counts();
  if (csv) csv->finish();
  if (plot) plot->write(device.now());

  const double now = device.now();
  result.endTime = now;
  const std::string text = plural(result.readings, "reading", "readings") + " over " + secondsText(result.seconds) + "; " +
                           describeCounts(result.counts);
  nlohmann::ordered_json fields;
  fields["readings"] = result.readings;
  fields["seconds"] = Timeline::rounded(result.seconds);
  const nlohmann::ordered_json counts = countsJson(result.counts);
  for (const auto& [key, value] : counts.items()) fields[key] = value;
  timeline.emit(now, "summary", text, fields);
  return result;
}

int runReplay(const ReplayOptions& options, std::ostream& out, std::ostream& progress, bool showProgress) {
  replay(options, out, progress, showProgress);
  out.flush();
  return 0;
}

}  // namespace sim
