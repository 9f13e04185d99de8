#include "tools/tessaro-sim/commands/Session.h"

#include "platform/hardware/MotionWorld.h"
#include "tools/tessaro-sim/Scenario.h"
#include "tools/tessaro-sim/SettingsKeys.h"

#include <algorithm>

namespace sim {

Session::Session(std::string name, std::filesystem::path directory, Timeline& timeline, std::ostream& errors,
                 bool realtime, bool strict)
    : name_(std::move(name)),
      directory_(std::move(directory)),
      timeline_(timeline),
      errors_(errors),
      strict_(strict),
      observer_([this](const core::Event& event) {
        for (const auto& plot : plots_) plot->event(event);
        timeline_.event(event);
      }) {
  options_.realtime = realtime;
  observe();
}

Session::~Session() { observer_.uninstall(); }

ParseContext Session::context() const { return ParseContext{directory_, bootLine_, bootImplicit_, now()}; }

bool Session::runLine(std::string_view text, std::size_t number) {
  checkUtf8(text, name_, number);
  auto parsed = parseLine(text, name_, number, context());
  if (!parsed) return true;
  if (const auto* set = std::get_if<command::Set>(&parsed->step.command)) {
    auto problem = set->value ? checkSetting(set->key, *set->value) : checkSettingKey(set->key);
    const std::string where = name_ + ":" + std::to_string(number) + ": ";
    if (problem && strict_) throw ScenarioError(where + *problem + " (strict)");
    if (problem) errors_ << where << "warning: " << *problem << std::endl;
  }
  if (parsed->when == When::AfterBoot && !booted()) {
    if (!run(Step{number, "boot", command::Boot{true}}, true)) return false;
  }
  typed_ = std::move(parsed->step);
  return run(*typed_, settlesAfter(typed_->command));
}

bool Session::run(const Step& step, bool settleAfter) {
  step_ = &step;
  if (const auto* boot = std::get_if<command::Boot>(&step.command)) {
    bootLine_ = step.line;
    bootImplicit_ = boot->implicit;
  }
  if (!std::visit([this](const auto& command) { return command.run(*this); }, step.command)) return false;
  if (booted() && settleAfter) settle();
  return true;
}

void Session::preparePlots(const std::vector<Step>& steps) {
  for (const Step& step : steps) {
    if (const auto* plot = std::get_if<command::PlotFile>(&step.command)) {
      step_ = &step;
      addPlot(plot->file);
    }
  }
}

void Session::addPlot(const std::filesystem::path& file) {
  if (std::find(plotFiles_.begin(), plotFiles_.end(), file) != plotFiles_.end()) return;
  try {
    plots_.push_back(std::make_unique<PlotRecorder>(file));
  } catch (const PlotError& error) {
    fail(error.what());
  }
  plotFiles_.push_back(file);
  if (booted()) plots_.back()->setSettings(explainSettings(device_->readSettings().value_or(plist::Dictionary{})));
  // The observer hands steps on only while there are plots to draw them.
  observer_.uninstall();
  observe();
}

void Session::finish() {
  observer_.uninstall();
  for (const auto& plot : plots_) {
    try {
      plot->write(now());
    } catch (const PlotError& error) {
      throw ScenarioError(name_ + ": " + error.what());
    }
  }
  timeline_.note(now(), "done: " + std::to_string(met_) + " expectation(s) met");
}

void Session::boot() {
  auto note = [this](const std::string& text) { timeline_.note(0, text, {{"line", step_->line}}); };
  // A file given whole: its bytes as they were, and what the tweak will make of them.
  auto noteGiven = [&](const char* which, const GivenFile& given) {
    const auto contents = dictionaryOf(given.bytes);
    note(std::string(which) + ": " + given.path.string() + " as given (" + std::to_string(given.bytes.size()) +
         " bytes): " + (contents ? describeSettings(*contents) : "no property-list dictionary, which reads as no file"));
  };
  if (styling_) {
    note("styling file: " + describeSettings(*styling_));
    options_.files.emplace_back(device::kStylingPath, *styling_);
  }
  if (auto given = bootFiles_.find(device::kStylingPath); given != bootFiles_.end()) noteGiven("styling file", given->second);
  if (auto given = bootFiles_.find(device::kSettingsPath); given != bootFiles_.end()) {
    noteGiven("settings file", given->second);
  } else if (options_.settings) {
    note("settings file: " + describeSettings(*options_.settings));
  } else {
    note("no settings file");
  }
  for (const auto& [path, given] : bootFiles_) {
    options_.rawFiles.emplace_back(path, std::vector<std::uint8_t>(given.bytes.begin(), given.bytes.end()));
  }
  if (!options_.motionSensor) note("no device-motion sensor");
  if (options_.gestureManager == frontboard::GestureManager::Older) {
    note("older gesture manager: addGestureRecognizer:toDisplay: only");
  }
  if (options_.homeButtonWakesDisplay) note("a home press lights a dark display");
  if (!options_.rootFolderView) note("the root folder controller has no view");
  if (options_.sleepsWhenIdle) note("sleeps past its idle-sleep window");
  if (!plots_.empty()) {
    auto given = bootFiles_.find(device::kSettingsPath);
    const plist::Dictionary settings = given != bootFiles_.end() ? dictionaryOf(given->second.bytes).value_or(plist::Dictionary{})
                                                                 : options_.settings.value_or(plist::Dictionary{});
    const SettingsExplained explained = explainSettings(settings);
    for (const auto& plot : plots_) plot->setSettings(explained);
  }
  device_ = std::make_unique<device::Device>(options_);
  for (const std::string& problem : device_->variantProblems()) {
    const auto found = variantLines_.find(problem.substr(0, problem.find("]:") + 1));
    const std::size_t line = found == variantLines_.end() ? step_->line : found->second;
    throw ScenarioError(name_ + ":" + std::to_string(line) + ": " + problem);
  }
}

double Session::now() const { return device_ ? device_->now() : 0.0; }

void Session::note(const std::string& text, nlohmann::json fields) {
  fields["line"] = step_->line;
  timeline_.note(now(), text, std::move(fields));
}

bool Session::noteLine() {
  note(step_->text);
  return true;
}

bool Session::check(bool holds, const std::string& got) {
  // "expect display on" reads as the expectation itself.
  const std::string expected = step_->text.substr(step_->text.find(' ') + 1);
  if (holds) {
    ++met_;
    timeline_.note(now(), "expect " + expected + ": ok", {{"line", step_->line}, {"ok", true}});
    return true;
  }
  const std::string message = "expected " + expected + ", got " + got;
  timeline_.note(now(), message, {{"line", step_->line}, {"ok", false}});
  errors_ << name_ << ":" << step_->line << ": " << message << std::endl;
  return false;
}

void Session::fail(const std::string& message) const {
  throw ScenarioError(name_ + ":" + std::to_string(step_->line) + ": " + message);
}

void Session::missingToggle(const std::string& identifier) const {
  fail("Control Center has no toggle " + identifier + " (see the \"module\" events: its bundle did not load)");
}

void Session::settle() {
  device_->runUntil(device_->now());
  followRecording();
}

void Session::followRecording() {
  if (hardware::motionWorld().replaying()) hardware::motionWorld().at(device_->now());
}

void Session::observe() {
  observer_.install(plots_.empty() ? RunObserver::StepSink() : RunObserver::StepSink([this](const TraceStep& step) {
    for (const auto& plot : plots_) plot->step(step);
  }));
}

}  // namespace sim
