#include "tools/tessaro-sim/Runner.h"

#include "platform/coremotion/CoreMotion.h"
#include "platform/hardware/MotionWorld.h"
#include "tools/tessaro-sim/MotionVocabulary.h"
#include "tools/tessaro-sim/ToggleVocabulary.h"
#include "platform/device/Device.h"
#include "tools/tessaro-sim/Plot.h"
#include "tools/tessaro-sim/RunObserver.h"
#include "tools/tessaro-sim/SettingsKeys.h"

#include <cmath>
#include <memory>

namespace sim {

namespace {

using namespace command;

const char* onOff(bool on) { return on ? "on" : "off"; }

class Run {
 public:
  Run(const Scenario& scenario, Timeline& timeline, std::ostream& errors, bool realtime)
      : scenario_(scenario), timeline_(timeline), errors_(errors) {
    options_.realtime = realtime;
  }

  int run() {
    for (const Step& step : scenario_.steps) {
      if (const auto* plot = std::get_if<PlotFile>(&step.command)) {
        step_ = &step;
        try {
          plots_.push_back(std::make_unique<PlotRecorder>(plot->file));
        } catch (const PlotError& error) {
          fail(error.what());
        }
      }
    }
    observe();
    for (std::size_t i = 0; i < scenario_.steps.size(); ++i) {
      const Step& step = scenario_.steps[i];
      step_ = &step;
      if (!std::visit(*this, step.command)) return 1;
      // A `step` line, the line before one and expectations leave later turns to come.
      const bool nextIsTurn = i + 1 < scenario_.steps.size() && std::holds_alternative<Turn>(scenario_.steps[i + 1].command);
      if (device_ && !nextIsTurn && !std::holds_alternative<Turn>(step.command) && !isExpectation(step.command)) settle();
    }
    observer_.uninstall();
    for (const auto& plot : plots_) {
      try {
        plot->write(now());
      } catch (const PlotError& error) {
        throw ScenarioError(scenario_.name + ": " + error.what());
      }
    }
    timeline_.note(now(), "done: " + std::to_string(met_) + " expectation(s) met");
    return 0;
  }

  static bool isExpectation(const Command& command) {
    return std::holds_alternative<ExpectDisplay>(command) || std::holds_alternative<ExpectLockScreen>(command) ||
           std::holds_alternative<ExpectSampling>(command) || std::holds_alternative<ExpectSamplingInterval>(command) ||
           std::holds_alternative<ExpectReachability>(command) || std::holds_alternative<ExpectCount>(command) ||
           std::holds_alternative<ExpectSetting>(command) || std::holds_alternative<ExpectToggle>(command);
  }

  // Each command answers whether the run goes on.
  bool operator()(const Set& set) {
    if (!device_) {
      plist::Dictionary& settings = options_.settings ? *options_.settings : options_.settings.emplace();
      if (set.value) settings.insert_or_assign(set.key, *set.value);
      else settings.erase(set.key);
      return true;
    }
    // As the settings editor does: the whole file rewritten, then the tweak told (or, for
    // another process's edit, not told).
    plist::Dictionary settings = device_->readSettings().value_or(plist::Dictionary{});
    if (set.value) settings.insert_or_assign(set.key, *set.value);
    else settings.erase(set.key);
    if (!device_->writeSettings(settings)) fail("cannot write the settings file");
    if (set.notify) device_->postNotification("com.brel.tessaro.prefschanged");
    return true;
  }
  bool operator()(const Strict&) { return true; }
  bool operator()(const PlotFile&) { return true; }
  bool operator()(const Turn&) {
    const double before = now();
    const std::size_t ran = device_->runTurn();
    followRecording();
    std::string text = "step: " + std::to_string(ran) + (ran == 1 ? " piece" : " pieces") + " of work ran";
    if (ran == 0) text = "step: nothing waits to run";
    else if (now() > before) text += " (the clock moved on to it)";
    timeline_.note(now(), text, {{"line", step_->line}, {"ran", ran}});
    return true;
  }
  bool operator()(const ExpectSamplingInterval& expect) {
    const std::vector<double> intervals = coremotion::activeUpdateIntervals();
    if (intervals.empty()) return check(false, "no sampling");
    std::string got;
    bool holds = true;
    for (double interval : intervals) {
      got += (got.empty() ? "" : ", ") + nlohmann::json(interval).dump() + " s";
      holds = holds && std::fabs(interval - expect.seconds) < 1e-9;
    }
    return check(holds, got);
  }
  bool operator()(const Without& without) {
    options_.absentClasses.insert(without.className);
    return true;
  }
  bool operator()(const NoMotionSensor&) {
    options_.motionSensor = false;
    return true;
  }
  bool operator()(const IdleSleep&) {
    options_.sleepsWhenIdle = true;
    return true;
  }
  bool operator()(const Realtime&) {
    options_.realtime = true;
    return true;
  }
  bool operator()(const Style& style) {
    if (!device_) {
      plist::Dictionary& styling = styling_ ? *styling_ : styling_.emplace();
      if (style.value) styling.insert_or_assign(style.key, *style.value);
      else styling.erase(style.key);
      return true;
    }
    // As the styling file's own editor does: the whole file rewritten. Nothing is posted:
    // the file is read at every use.
    plist::Dictionary styling = device_->readPropertyList(device::kStylingPath).value_or(plist::Dictionary{});
    if (style.value) styling.insert_or_assign(style.key, *style.value);
    else styling.erase(style.key);
    device_->writePropertyList(device::kStylingPath, styling);
    return true;
  }
  bool operator()(const Seed& seed) {
    options_.randomSeed = seed.seed;
    return true;
  }
  bool operator()(const ScreenSize& screen) {
    options_.screen = screen.fivePointFive ? uikit::Screen::FivePointFiveInch : uikit::Screen::FourPointSevenInch;
    return true;
  }
  bool operator()(const ControlCenter& change) {
    const bool done = change.open ? device_->openControlCenter() : device_->closeControlCenter();
    if (!done) {
      timeline_.note(now(), std::string("Control Center is already ") + (change.open ? "open" : "closed"),
                     {{"line", step_->line}});
    }
    return true;
  }
  bool operator()(const TapToggle& tap) {
    switch (device_->tapToggle(tap.identifier)) {
      case controlcenter::Tap::Tapped: break;
      case controlcenter::Tap::NotPresented:
        timeline_.note(now(), "tap refused: Control Center is not open", {{"line", step_->line}});
        break;
      case controlcenter::Tap::NoSuchToggle: missingToggle(tap.identifier);
    }
    return true;
  }
  bool operator()(const Snapshot& snapshot) {
    std::string why;
    const bool written = snapshot.toggle       ? device_->snapshotToggle(*snapshot.toggle, snapshot.file, why)
                         : snapshot.homeScreen ? device_->snapshotHomeScreen(snapshot.file, why)
                                               : device_->snapshot(snapshot.file, why);
    if (!written) fail("cannot write the snapshot " + snapshot.file.string() + ": " + why);
    return true;
  }
  bool operator()(const ExpectToggle& expect) {
    const auto look = device_->toggleLook(expect.identifier);
    if (!look) missingToggle(expect.identifier);
    if (expect.what == ExpectToggle::Selected) {
      return check(look->selected == expect.selected, look->selected ? "selected" : "unselected");
    }
    if (!look->loaded) return check(false, "a toggle whose view has not loaded: open Control Center first");
    switch (expect.what) {
      case ExpectToggle::Background:
        return check(sameColor(look->background, expect.color), describeColor(look->background));
      case ExpectToggle::Radius:
        return check(std::fabs(look->cornerRadius - expect.number) < 1e-6, nlohmann::json(look->cornerRadius).dump());
      case ExpectToggle::Scale: {
        const bool holds = std::fabs(look->scaleX - expect.number) < 1e-3 && std::fabs(look->scaleY - expect.number) < 1e-3;
        return check(holds, nlohmann::json(look->scaleX).dump() + " x " + nlohmann::json(look->scaleY).dump());
      }
      case ExpectToggle::Selected: break;
    }
    return true;
  }
  bool operator()(const Boot&) {
    if (styling_) {
      timeline_.note(0, "styling file: " + describeSettings(*styling_), {{"line", step_->line}});
      options_.files.emplace_back(device::kStylingPath, *styling_);
    }
    if (options_.settings) {
      timeline_.note(0, "settings file: " + describeSettings(*options_.settings), {{"line", step_->line}});
    } else {
      timeline_.note(0, "no settings file", {{"line", step_->line}});
    }
    if (!options_.motionSensor) timeline_.note(0, "no device-motion sensor", {{"line", step_->line}});
    if (options_.gestureManager == frontboard::GestureManager::Older) {
      timeline_.note(0, "older gesture manager: addGestureRecognizer:toDisplay: only", {{"line", step_->line}});
    }
    if (options_.homeButtonWakesDisplay) timeline_.note(0, "a home press lights a dark display", {{"line", step_->line}});
    if (!options_.rootFolderView) timeline_.note(0, "the root folder controller has no view", {{"line", step_->line}});
    if (options_.sleepsWhenIdle) timeline_.note(0, "sleeps past its idle-sleep window", {{"line", step_->line}});
    if (!plots_.empty()) {
      const SettingsExplained explained = explainSettings(options_.settings.value_or(plist::Dictionary{}));
      for (const auto& plot : plots_) plot->setSettings(explained);
    }
    device_ = std::make_unique<device::Device>(options_);
    return true;
  }
  bool operator()(const Wait& wait) {
    device_->runFor(wait.seconds);
    return true;
  }
  bool operator()(const At& at) {
    device_->runUntil(at.time);
    return true;
  }
  bool operator()(const ProgressImage& image) {
    options_.copies.emplace_back("/Library/PreferenceBundles/Corvel.bundle/Progress@3x.png", image.file);
    return true;
  }
  bool operator()(const NoRootFolderView&) {
    options_.rootFolderView = false;
    return true;
  }
  bool operator()(const OlderGestureManager&) {
    options_.gestureManager = frontboard::GestureManager::Older;
    return true;
  }
  bool operator()(const HomeButtonWakes& wakes) {
    if (!device_) {
      options_.homeButtonWakesDisplay = wakes.on;
      return true;
    }
    device_->setHomeButtonWakesDisplay(wakes.on);
    return noteLine();
  }
  bool operator()(const PressLock&) {
    device_->pressLockButton();
    return true;
  }
  bool operator()(const HomeGesture& gesture) {
    for (const HomeGesture::Press& press : gesture.presses) {
      device_->runFor(press.gapBefore);
      device_->clickHomeButton(press.hold);
    }
    return true;
  }
  // What the user or SpringBoard does that is no device event of its own is noted first.
  bool operator()(const Finger& finger) {
    noteLine();
    device_->reportBiometricEvent(finger.event);
    return true;
  }
  bool operator()(const Reachability&) {
    noteLine();
    device_->toggleReachability();
    return true;
  }
  bool operator()(const RebuildHomeGestures&) {
    noteLine();
    device_->rebuildHomeButtonGestures();
    return true;
  }
  bool operator()(const Unlock&) {
    if (!device_->unlock()) {
      const char* why = !device_->lockScreenUp() ? "the lock screen is not up" : "the display is off";
      timeline_.note(now(), std::string("unlock refused: ") + why, {{"line", step_->line}});
    }
    return true;
  }
  bool operator()(const Switch& change) {
    switch (change.what) {
      case Switch::LowPowerMode: device_->setLowPowerMode(change.on); break;
      case Switch::Charging: device_->setCharging(change.on); break;
      case Switch::Call: device_->setCallInProgress(change.on); break;
    }
    return true;
  }
  bool operator()(const Pose& pose) {
    hardware::motionWorld().hold(pose.gravity);
    return noteLine();
  }
  bool operator()(const Move& move) {
    hardware::motionWorld().move(move.to, move.seconds);
    return noteLine();
  }
  bool operator()(const Shake& shake) {
    sim::shake(hardware::motionWorld(), shake.g, shake.seconds);
    return noteLine();
  }
  bool operator()(const Replay& replay) {
    hardware::motionWorld().replay(recordings::openRecording(replay.file));
    char text[96];
    std::snprintf(text, sizeof text, ": %lld %s over %.1f s", replay.summary.readings,
                  replay.summary.readings == 1 ? "reading" : "readings", replay.summary.seconds());
    timeline_.note(now(), step_->text + text, {{"line", step_->line}, {"readings", replay.summary.readings}});
    return true;
  }
  bool operator()(const Post& post) {
    device_->postNotification(post.name);
    return true;
  }
  bool operator()(const ExpectDisplay& expect) {
    return check(device_->displayOn() == expect.on, onOff(device_->displayOn()));
  }
  bool operator()(const ExpectLockScreen& expect) {
    return check(device_->lockScreenUp() == expect.up, device_->lockScreenUp() ? "up" : "down");
  }
  bool operator()(const ExpectSampling& expect) {
    const int active = coremotion::activeManagers();
    return check((active > 0) == expect.on, std::string(onOff(active > 0)) + " (" + std::to_string(active) + " manager(s))");
  }
  bool operator()(const ExpectReachability& expect) {
    return check(device_->reachabilityActive() == expect.on, onOff(device_->reachabilityActive()));
  }
  bool operator()(const ExpectCount& expect) {
    const auto& log = device_->log();
    const long long n = static_cast<long long>(expect.text ? log.count(expect.kind, *expect.text) : log.count(expect.kind));
    bool holds = false;
    switch (expect.op) {
      case ExpectCount::Equal: holds = n == expect.n; break;
      case ExpectCount::NotEqual: holds = n != expect.n; break;
      case ExpectCount::AtLeast: holds = n >= expect.n; break;
      case ExpectCount::AtMost: holds = n <= expect.n; break;
      case ExpectCount::Greater: holds = n > expect.n; break;
      case ExpectCount::Less: holds = n < expect.n; break;
    }
    return check(holds, std::to_string(n));
  }
  bool operator()(const ExpectSetting& expect) {
    const auto settings = device_->readSettings();
    if (!settings) return check(false, "no settings file");
    const auto found = settings->find(expect.key);
    if (found == settings->end()) return check(!expect.value, "absent");
    return check(expect.value && *expect.value == found->second, describeValue(found->second));
  }

 private:
  double now() const { return device_ ? device_->now() : 0.0; }

  // What the scenario asks for cannot be done on this device: bad input, status 2.
  [[noreturn]] void fail(const std::string& message) const {
    throw ScenarioError(scenario_.name + ":" + std::to_string(step_->line) + ": " + message);
  }
  [[noreturn]] void missingToggle(const std::string& identifier) const {
    fail("Control Center has no toggle " + identifier + " (see the \"module\" events: its bundle did not load)");
  }

  // Work the last line made due now runs before the next line looks at the device.
  void settle() {
    device_->runUntil(device_->now());
    followRecording();
  }

  // A replay moves on with the clock even while nothing samples the sensor.
  void followRecording() {
    if (hardware::motionWorld().replaying()) hardware::motionWorld().at(device_->now());
  }

  // The line itself, in the timeline.
  bool noteLine() {
    timeline_.note(now(), step_->text, {{"line", step_->line}});
    return true;
  }

  bool check(bool holds, const std::string& got) {
    // "expect display on" reads as the expectation itself.
    const std::string expected = step_->text.substr(step_->text.find(' ') + 1);
    if (holds) {
      ++met_;
      timeline_.note(now(), "expect " + expected + ": ok", {{"line", step_->line}, {"ok", true}});
      return true;
    }
    const std::string message = "expected " + expected + ", got " + got;
    timeline_.note(now(), message, {{"line", step_->line}, {"ok", false}});
    errors_ << scenario_.name << ":" << step_->line << ": " << message << std::endl;
    return false;
  }

  void observe() {
    observer_.install(plots_.empty() ? RunObserver::StepSink() : RunObserver::StepSink([this](const TraceStep& step) {
      for (const auto& plot : plots_) plot->step(step);
    }));
  }

  const Scenario& scenario_;
  Timeline& timeline_;
  std::ostream& errors_;
  device::BootOptions options_;
  std::unique_ptr<device::Device> device_;
  std::optional<plist::Dictionary> styling_;
  const Step* step_ = nullptr;
  int met_ = 0;
  std::vector<std::unique_ptr<PlotRecorder>> plots_;
  RunObserver observer_{[this](const core::Event& event) {
    for (const auto& plot : plots_) plot->event(event);
    timeline_.event(event);
  }};
};

}  // namespace

int runScenario(const Scenario& scenario, Timeline& timeline, std::ostream& errors, bool realtime) {
  // Counts, not events: a run's memory does not grow with its length.
  core::eventLog().setKeepEvents(false);
  for (const auto& [kind, text] : scenario.countedTexts) core::eventLog().countText(kind, text);
  Run run(scenario, timeline, errors, realtime);
  int status = 0;
  try {
    status = run.run();
  } catch (const ScenarioError&) {
    timeline.flush();
    core::eventLog().setListener(nullptr);
    throw;
  }
  timeline.flush();
  core::eventLog().setListener(nullptr);
  return status;
}

}  // namespace sim
