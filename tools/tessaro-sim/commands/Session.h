#pragma once
// A device driven by scenario lines: before boot, the device it will boot (BootOptions and
// the files it starts with); after, the device itself, with the timeline the run prints.
// A scenario runs step by step through it (runScenario); a device can also be handed one
// typed line at a time (runLine), parsed in the state the device is in now.
//
// Commands run themselves on it (Commands.h) and reach the device, the timeline and the
// run's verdicts through it. One session a process, as one device a process.

#include "platform/device/Device.h"
#include "tools/tessaro-sim/Plot.h"
#include "tools/tessaro-sim/RunObserver.h"
#include "tools/tessaro-sim/Timeline.h"
#include "tools/tessaro-sim/commands/CommandTable.h"
#include "tools/tessaro-sim/commands/Commands.h"

#include <filesystem>
#include <map>
#include <memory>
#include <optional>
#include <ostream>
#include <string>
#include <string_view>
#include <vector>

namespace sim {

class Session {
 public:
  // `name` names the lines in messages ("FILE:LINE: ..."); files the lines name are found
  // in `directory`.
  Session(std::string name, std::filesystem::path directory, Timeline& timeline, std::ostream& errors, bool realtime,
          bool strict = false);
  ~Session();
  Session(const Session&) = delete;
  Session& operator=(const Session&) = delete;

  // One line, as a user types it against the device: parsed as line `number` where the
  // device stands now (booted or not, its clock), the device booted first when the line
  // needs it, run, and the work it made due run (unless it only looks, as an expectation
  // does). A settings warning goes to the errors stream (an error when strict). True when
  // the line ran and held; false when an expectation failed (said on the errors stream).
  // Throws ScenarioError for a line that does not parse or cannot be carried out. The
  // event log keeps its events, so that `expect count` of any text counts from the boot.
  bool runLine(std::string_view text, std::size_t number);

  // One parsed step; `settle`: let the work it made due run before the next line.
  bool run(const Step& step, bool settle);
  // Plots a scenario names anywhere record from its start: made before its first step.
  void preparePlots(const std::vector<Step>& steps);
  // The end of a run: plots written, "done" noted.
  void finish();

  // Where parsing stands for the next line.
  ParseContext context() const;

  // --- What the commands use ------------------------------------------------------------------
  bool booted() const { return device_ != nullptr; }
  device::Device& device() { return *device_; }
  // The device to be booted, before boot.
  device::BootOptions& bootOptions() { return options_; }
  // The styling file the device boots with; none: no styling file.
  std::optional<plist::Dictionary>& bootStyling() { return styling_; }
  // Files the device boots with as they were given (`settings-file`), by device path; a
  // `set` before boot turns the settings file's into bootOptions().settings.
  std::map<std::string, GivenFile>& bootFiles() { return bootFiles_; }
  void boot();
  void setStrict() { strict_ = true; }
  // A variant of the host asked for by the present line ("-[SBFoo bar]"): a boot that
  // cannot give it names this line.
  void rememberVariant(const std::string& name) { variantLines_[name] = step_->line; }
  void addPlot(const std::filesystem::path& file);

  const Step& step() const { return *step_; }
  Timeline& timeline() { return timeline_; }
  double now() const;
  // A note of the simulator's, naming the line.
  void note(const std::string& text, nlohmann::json fields = nlohmann::json::object());
  // The line itself, in the timeline; true.
  bool noteLine();
  // An expectation's verdict: noted, and when it fails said on the errors stream too.
  bool check(bool holds, const std::string& got);
  // What the line asks for cannot be done on this device: bad input, status 2.
  [[noreturn]] void fail(const std::string& message) const;
  [[noreturn]] void missingToggle(const std::string& identifier) const;
  // A replay moves on with the clock even while nothing samples the sensor.
  void followRecording();

 private:
  void observe();
  void settle();

  std::string name_;
  std::filesystem::path directory_;
  Timeline& timeline_;
  std::ostream& errors_;
  bool strict_;
  device::BootOptions options_;
  std::unique_ptr<device::Device> device_;
  std::optional<plist::Dictionary> styling_;
  std::map<std::string, GivenFile> bootFiles_;
  std::map<std::string, std::size_t> variantLines_;
  std::optional<std::size_t> bootLine_;
  bool bootImplicit_ = false;
  const Step* step_ = nullptr;
  std::optional<Step> typed_;  // the line runLine runs, alive while the notes name it
  int met_ = 0;
  std::vector<std::unique_ptr<PlotRecorder>> plots_;
  std::vector<std::filesystem::path> plotFiles_;
  RunObserver observer_;
};

}  // namespace sim
