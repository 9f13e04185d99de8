#pragma once
// The scenario language: one command a line, '#' comments, blank lines ignored (see
// docs/SCENARIOS.md). A scenario is parsed and checked whole before any of it runs, so a
// mistake on its last line costs nothing.

#include "platform/coremotion/CoreMotion.h"
#include "platform/plist/PropertyList.h"
#include "platform/quartzcore/Values.h"
#include "tools/tessaro-sim/recordings/Recording.h"

#include <nlohmann/json.hpp>

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

namespace sim {

// A scenario that cannot run; what() is "FILE:LINE: message".
class ScenarioError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// A settings value as written on a `set` line or after `--set KEY=`: true/false/YES/NO, an
// integer, a real, or a quoted string. Nullopt with `problem` filled in otherwise.
std::optional<plist::Value> parseValue(std::string_view text, bool quoted, std::string& problem);
// A value as one word of the command line gives it (`--set KEY=VALUE`, `--grid KEY=A,B`):
// a string in "..." is quoted, anything else parsed as parseValue does.
std::optional<plist::Value> parseValueWord(std::string_view word, std::string& problem);
// As a scenario would write it: YES, 3, 0.5, "text".
std::string describeValue(const plist::Value& value);
// "isEnabled YES, wakeMode 0", or "(empty)".
std::string describeSettings(const plist::Dictionary& settings);
// {"isEnabled": "YES", "wakeMode": "0"}: each value as describeValue writes it.
nlohmann::ordered_json describedSettings(const plist::Dictionary& settings);

namespace command {

// Before boot they make up the file the device boots with; after, an editor's write,
// told to the tweak with "com.brel.tessaro.prefschanged" unless `notify` is false (another
// process rewriting the file behind the tweak's back: `edit-settings`).
struct Set {
  std::string key;
  std::optional<plist::Value> value;  // none: `unset`, the key is removed
  bool notify = true;
};
// Unknown settings keys and values of the wrong kind are errors, not warnings.
struct Strict {};
// Exactly one turn of the main run loop (core::RunLoop::runTurn). The line before a `step`,
// the `step` itself and expectations do not let the device settle, so what happens on a
// later turn can be seen not to have happened yet.
struct Turn {};
struct Without {
  std::string className;
};
struct NoMotionSensor {};
// The dark device sleeps once its idle-sleep window has passed.
struct IdleSleep {};
struct Realtime {};
struct Boot {
  bool implicit = false;
};
struct Wait {
  double seconds = 0;
};
struct At {
  double time = 0;
};
// The sleep/wake button: one press, at once.
struct PressLock {};
// The physical home button: presses one after another, each held `hold` seconds and
// going down `gapBefore` seconds after the release of the one before. The device runs
// through the whole gesture; the line ends at the last release.
struct HomeGesture {
  struct Press {
    double gapBefore = 0;
    double hold = 0;
  };
  std::vector<Press> presses;
  double seconds() const {
    double total = 0;
    for (const Press& press : presses) total += press.gapBefore + press.hold;
    return total;
  }
};
// A finger on the fingerprint sensor: the event the sensor reports.
struct Finger {
  long long event = 0;
};
// The host's reachability toggle.
struct Reachability {};
// SpringBoard builds the home button's gesture recognizers again.
struct RebuildHomeGestures {};
// The host's gesture manager answers only addGestureRecognizer:toDisplay:.
struct OlderGestureManager {};
// A physical home press lights a dark display, as on a stock phone.
struct HomeButtonWakes {
  bool on = false;
};
struct Unlock {};
struct Switch {
  enum What { LowPowerMode, Charging, Call } what = LowPowerMode;
  bool on = false;
};
struct Pose {
  hardware::Vector3 gravity;
};
struct Move {
  hardware::Vector3 to;
  double seconds = 0;
};
struct Shake {
  double g = 0;
  double seconds = 0;
};
struct Replay {
  std::filesystem::path file;  // resolved against the scenario's directory
  recordings::RecordingSummary summary;
};
struct Post {
  std::string name;
};
struct ExpectDisplay {
  bool on = false;
};
struct ExpectLockScreen {
  bool up = false;
};
struct ExpectSampling {
  bool on = false;
};
// The update interval of the motion source that is sampling.
struct ExpectSamplingInterval {
  double seconds = 0;
};
// At the end of the run, a picture of what the motion sensor read and what the device did
// (see Plot.h); .png or .svg.
struct PlotFile {
  std::filesystem::path file;
};
struct ExpectReachability {
  bool on = false;
};
struct ExpectCount {
  enum Op { Equal, NotEqual, AtLeast, AtMost, Greater, Less } op = Equal;
  std::string kind;
  std::optional<std::string> text;  // none: any text
  long long n = 0;
};
struct ExpectSetting {
  std::string key;
  std::optional<plist::Value> value;  // none: the key must be absent
};

// Control Center.
// The styling file: before boot the file the device boots with, after boot rewritten whole.
struct Style {
  std::string key;
  std::optional<plist::Value> value;  // none: `unstyle`, the key is removed
};
struct Seed {
  std::uint64_t seed = 1;
};
struct ScreenSize {
  bool fivePointFive = false;
};
struct ControlCenter {
  bool open = false;
};
struct TapToggle {
  std::string identifier;
};
struct Snapshot {
  std::optional<std::string> toggle;  // an identifier; none: the whole screen
  std::filesystem::path file;         // resolved against the scenario's directory
  bool homeScreen = false;            // the home screen's window, whatever covers it
};
// A progress image at "/Library/PreferenceBundles/Corvel.bundle/Progress@3x.png" when the
// device boots: the test image the build drew, or a file beside the scenario.
struct ProgressImage {
  std::filesystem::path file;
};
// A host whose root folder controller has no view.
struct NoRootFolderView {};
struct ExpectToggle {
  enum What { Selected, Background, Radius, Scale } what = Selected;
  std::string identifier;
  bool selected = false;
  quartzcore::Color color;
  double number = 0;
};

}  // namespace command

using Command =
    std::variant<command::Set, command::Without, command::NoMotionSensor, command::IdleSleep, command::Realtime,
                 command::OlderGestureManager, command::HomeButtonWakes, command::Boot, command::Wait, command::At,
                 command::PressLock, command::HomeGesture, command::Finger, command::Reachability,
                 command::RebuildHomeGestures, command::Unlock, command::Switch, command::Pose, command::Move,
                 command::Shake, command::Replay, command::Post, command::ExpectDisplay, command::ExpectLockScreen,
                 command::ExpectSampling, command::ExpectReachability, command::ExpectCount, command::ExpectSetting,
                 command::Style, command::Seed, command::ScreenSize, command::ControlCenter, command::TapToggle,
                 command::Snapshot, command::ExpectToggle, command::ProgressImage, command::NoRootFolderView,
                 command::Strict, command::Turn, command::ExpectSamplingInterval, command::PlotFile>;

struct Step {
  std::size_t line = 0;
  std::string text;  // the line as written, less comment and outer blanks
  Command command;
};

struct Scenario {
  std::string name;  // for messages: the path as given, or "<default>"
  // In order, with a Boot step (implicit = true) put in before the first line that needs the
  // device, or at the end when no line does.
  std::vector<Step> steps;
  // "FILE:LINE: warning: ..." for settings keys the tweak does not read and values of the
  // wrong kind; with `strict` (a line of the scenario, or the caller's) these are errors.
  std::vector<std::string> warnings;
  bool strict = false;
  // The (kind, text) pairs that `expect count` asks about, counted as the run goes.
  std::vector<std::pair<std::string, std::string>> countedTexts;
};

// The longest a single line may let the device run (a wait, the jump of an `at`, a press
// held or a gap), in device seconds: a day. A scenario spans days through many lines.
inline constexpr double kMaxLineSeconds = 86400.0;
// The largest scenario file read, in bytes.
inline constexpr std::size_t kMaxScenarioBytes = 16u << 20;

// The event kinds `expect count` may name: the device's (the simulator's own lines are no
// device events and are not counted).
bool isCountableKind(std::string_view kind);
// The closest countable kind to a misspelt one.
std::string closestKind(std::string_view kind);

// Throws ScenarioError at the first bad line (and at bytes that are not UTF-8, shown
// escaped). Recordings named by `replay` are resolved against `directory` and read through
// once here. With `strict`, or a `strict` line, a settings warning is an error too.
Scenario parseScenario(std::string_view text, const std::string& name, const std::filesystem::path& directory,
                       bool strict = false);

// Reads a scenario file: only a regular file of at most kMaxScenarioBytes; ScenarioError
// "PATH: ..." otherwise (missing, a directory, a FIFO, unreadable, too large).
std::string readScenarioFile(const std::filesystem::path& path);

// The fingerprint events a scenario names: "lifted" 0, "resting" 1, "scanning" 2,
// "matched" 4, "not-matched" 9. Only 0 and 1 mean something particular to Tessaro.
std::optional<long long> fingerEventNamed(std::string_view name);

// Defaults of the home-button gestures, in seconds.
inline constexpr double kClickSeconds = 0.1;  // how long a click is held
inline constexpr double kPressGapSeconds = 0.15;  // from a release to the next press

// "expect count display "on" == 1", for messages.
std::string describe(const command::ExpectCount& expectation);

}  // namespace sim
