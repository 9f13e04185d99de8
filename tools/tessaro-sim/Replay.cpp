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
#include <exception>
#include <iostream>
#include <stdexcept>

namespace sim {

namespace {

// "\r12.0 s" on a terminal, wiped before a line of the timeline goes out. Redrawn a
// few times a wall-clock second at most: a virtual-time replay is over before it shows.
class Progress {
 public:
  Progress(std::ostream& out, bool enabled, std::string name) : out_(out), enabled_(enabled), name_(std::move(name)) {}

  void update(double elapsed) {
    const auto now = std::chrono::steady_clock::now();
    if (!enabled_ || now - shown_ < std::chrono::milliseconds(200)) return;
    shown_ = now;
    char text[64];
    std::snprintf(text, sizeof text, ": %.1f s", elapsed);
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

ReplaySettings replaySettingsFile(const plist::Dictionary& given, const std::optional<GivenFile>& file) {
  ReplaySettings settings;
  if (!file) {
    settings.dictionary = plist::Dictionary{{"isEnabled", true}};
    for (const auto& [key, value] : given) settings.dictionary.insert_or_assign(key, value);
    settings.description = describeSettings(settings.dictionary);
    return settings;
  }
  const auto contents = dictionaryOf(file->bytes);
  settings.description = file->path.string() + " as given (" + std::to_string(file->bytes.size()) + " bytes)";
  if (!contents && !given.empty()) {
    throw ScenarioError(file->path.string() + ": holds no property-list dictionary, so --set cannot change a key in it");
  }
  if (!contents) settings.description += ": no property-list dictionary, which reads as no file";
  settings.dictionary = contents.value_or(plist::Dictionary{});
  // Unchanged, the bytes go in as they are; a --set rewrites the file as an editor would.
  if (given.empty()) {
    settings.bytes = file->bytes;
  } else {
    settings.description += " with --set";
  }
  for (const auto& [key, value] : given) settings.dictionary.insert_or_assign(key, value);
  if (!settings.dictionary.empty()) settings.description += ": " + describeSettings(settings.dictionary);
  return settings;
}

namespace {

device::BootOptions bootOptions(const ReplaySettings& settingsFile, const std::filesystem::path& root, bool realtime) {
  device::BootOptions boot;
  if (settingsFile.bytes) {
    boot.rawFiles.emplace_back(device::kSettingsPath,
                               std::vector<std::uint8_t>(settingsFile.bytes->begin(), settingsFile.bytes->end()));
  } else {
    boot.settings = settingsFile.dictionary;
  }
  boot.realtime = realtime;
  boot.root = root;
  return boot;
}

// The recording as the motion world pulls it: its first reading read at once, so that a
// file that cannot be read fails before anything is printed; its span kept as it goes; and
// a bad reading further on held here rather than thrown through the device's run loop (the
// sensor pulls readings from inside it), for the replay to throw between two pieces of work.
class Feed final : public hardware::ReadingStream {
 public:
  explicit Feed(std::unique_ptr<hardware::ReadingStream> source) : source_(std::move(source)), pending_(source_->next()) {
    if (pending_) first_ = last_ = pending_->timestamp;
  }

  std::optional<hardware::TimedReading> next() override {
    std::optional<hardware::TimedReading> reading;
    if (pending_) {
      reading.swap(pending_);
    } else if (!error_) {
      try {
        reading = source_->next();
      } catch (...) {
        error_ = std::current_exception();
      }
    }
    if (reading) {
      ++readings_;
      last_ = reading->timestamp;
    }
    return reading;
  }

  void rethrow() const {
    if (error_) std::rethrow_exception(error_);
  }
  long long readings() const { return readings_; }
  // From the first reading to the latest given out: while the world replays, the one it
  // holds as upcoming.
  double span() const { return last_ - first_; }

 private:
  std::unique_ptr<hardware::ReadingStream> source_;
  std::optional<hardware::TimedReading> pending_;
  std::exception_ptr error_;
  long long readings_ = 0;
  double first_ = 0;
  double last_ = 0;
};

}  // namespace

ReplayDevice::ReplayDevice(const ReplaySettings& settingsFile, const std::filesystem::path& root, bool realtime)
    : device_(bootOptions(settingsFile, root, realtime)) {
  device_.log().setKeepEvents(false);
}

void ReplayDevice::giveSettings(const ReplaySettings& settingsFile) {
  const bool written =
      settingsFile.bytes
          ? device_.replaceFile(device::kSettingsPath,
                                std::span(reinterpret_cast<const std::uint8_t*>(settingsFile.bytes->data()), settingsFile.bytes->size()))
          : device_.writeSettings(settingsFile.dictionary);
  if (!written) throw std::runtime_error("cannot write the device's settings file");
  device_.postNotification("com.brel.tessaro.prefschanged");
  device_.runUntil(device_.now());
}

ReplayResult ReplayDevice::run(const ReplayOptions& options, std::ostream& out, std::ostream& progressOut, bool showProgress) {
  std::unique_ptr<PlotRecorder> plot;
  if (!options.plot.empty()) plot = std::make_unique<PlotRecorder>(options.plot);  // checks gnuplot first
  std::unique_ptr<TraceCsv> csv;
  if (!options.traceCsv.empty()) csv = std::make_unique<TraceCsv>(options.traceCsv);
  std::function<std::unique_ptr<hardware::ReadingStream>()> open = options.readings;
  if (!open) open = [file = options.recording] { return recordings::openRecording(file); };
  auto feed = std::make_unique<Feed>(open());
  Feed& readings = *feed;

  const ReplaySettings settingsFile = replaySettingsFile(options.settings, options.settingsFile);
  Timeline timeline(out, options.format);
  const SettingsExplained explained = explainSettings(settingsFile.dictionary);
  if (!options.quiet) {
    nlohmann::ordered_json fields;
    fields["recording"] = {{"file", options.recording.string()}};
    fields["given"] = describedSettings(options.settings);
    for (const auto& [key, value] : explained.json.items()) fields[key] = value;
    if (options.format == Format::Json) {
      std::string text;
      for (const std::string& line : explained.lines) text += (text.empty() ? "" : "; ") + line;
      timeline.emit(0, "settings", text, fields);
    } else {
      timeline.emit(0, "settings", "settings file: " + settingsFile.description + "; the rest at their defaults");
      for (const std::string& line : explained.lines) timeline.emit(0, "settings", line);
    }
  }

  Progress progress(progressOut, showProgress && !options.quiet, options.recording.filename().string());
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

  device_.pressLockButton();
  device_.runUntil(device_.now());

  const double start = device_.now();
  hardware::MotionWorld& world = hardware::motionWorld();
  world.replay(std::move(feed));
  if (plot) plot->setRecording(open, start, explained);
  // From one piece of due work to the next: nothing else changes the device. The stream is
  // consumed here too, so it reaches its end while nothing samples. Until the last reading
  // is read the end is not known, but it is at least a second after the upcoming reading.
  auto advance = [&](double limit) {
    device_.runUntil(std::min(device_.nextWorkTime(), limit));
    world.at(device_.now());
    progress.update(device_.now() - start);
  };
  for (;;) {
    readings.rethrow();
    if (world.finished()) break;
    advance(start + readings.span() + 1.0);
  }
  const double seconds = readings.span();
  const double end = start + seconds + 1.0;
  while (device_.now() < end) advance(end);
  observer.uninstall();
  progress.clear();
  if (wantSteps && observer.counts().steps > 0) {
    if (const std::string problem = RunObserver::tweakStateProblem(); !problem.empty()) {
      std::cerr << "tessaro-sim: warning: the trace shows no pose or smoothing: " << problem << "\n";
    }
  }

  ReplayResult result;
  result.readings = readings.readings();
  result.seconds = seconds;
  result.counts = observer.counts();
  if (csv) csv->finish();
  if (plot) plot->write(device_.now());

  const double now = device_.now();
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

ReplayResult replay(const ReplayOptions& options, std::ostream& out, std::ostream& progress, bool showProgress) {
  ReplayDevice device(replaySettingsFile(options.settings, options.settingsFile), options.root, options.realtime);
  return device.run(options, out, progress, showProgress);
}

int runReplay(const ReplayOptions& options, std::ostream& out, std::ostream& progress, bool showProgress) {
  replay(options, out, progress, showProgress);
  out.flush();
  return 0;
}

}  // namespace sim
