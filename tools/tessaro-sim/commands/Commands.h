#pragma once
// What each line of a scenario asks for, once parsed: one struct a command, grouped by
// family as the command table is (CommandTable.h). Each runs itself on a Session; the run
// answers whether the scenario goes on (false: an expectation failed), and throws
// ScenarioError for what the device cannot carry out. A command that observes and changes
// nothing (an expectation, `step`) says so with kLeavesWork: the device is not settled
// after it, so that what happens on a later turn can be seen not to have happened yet.

#include "platform/hardware/MotionReading.h"
#include "platform/plist/PropertyList.h"
#include "platform/quartzcore/Values.h"
#include "tools/tessaro-sim/InputFile.h"
#include "tools/tessaro-sim/recordings/Recording.h"

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <variant>
#include <vector>

namespace sim {

class Session;

namespace command {

// --- Settings and files -------------------------------------------------------------------

// Before boot they make up the file the device boots with; after, an editor's write,
// told to the tweak with "com.brel.tessaro.prefschanged" unless `notify` is false (another
// process rewriting the file behind the tweak's back: `edit-settings`).
struct Set {
  std::string key;
  std::optional<plist::Value> value;  // none: `unset`, the key is removed
  bool notify = true;
  bool run(Session& session) const;
};
// The styling file: before boot the file the device boots with, after boot rewritten whole.
struct Style {
  std::string key;
  std::optional<plist::Value> value;  // none: `unstyle`, the key is removed
  bool run(Session& session) const;
};
// A file given whole, as taken from a phone: before boot the device boots with exactly
// these bytes, after boot another process puts them in place atomically and posts nothing.
struct PutFile {
  std::string devicePath;  // the settings file or the styling file
  GivenFile file;
  bool run(Session& session) const;
};
// Another process removes the settings file, posting nothing.
struct DeleteSettings {
  bool run(Session& session) const;
};
// The device's processes may not read the settings file (the file stays).
struct SettingsUnreadable {
  bool on = false;
  bool run(Session& session) const;
};
// Unknown settings keys and values of the wrong kind are errors, not warnings.
struct Strict {
  bool run(Session& session) const;
};
struct Post {
  std::string name;
  bool run(Session& session) const;
};
// A progress image at "/Library/PreferenceBundles/Corvel.bundle/Progress@3x.png" when the
// device boots: the test image the build drew, or a file beside the scenario.
struct ProgressImage {
  std::filesystem::path file;
  bool run(Session& session) const;
};

// --- Time -----------------------------------------------------------------------------------

struct Boot {
  bool implicit = false;
  bool run(Session& session) const;
};
struct Wait {
  double seconds = 0;
  bool run(Session& session) const;
};
struct At {
  double time = 0;
  bool run(Session& session) const;
};
// Exactly one turn of the main run loop (core::RunLoop::runTurn). The line before a `step`,
// the `step` itself and expectations do not let the device settle, so what happens on a
// later turn can be seen not to have happened yet.
struct Turn {
  static constexpr bool kLeavesWork = true;
  bool run(Session& session) const;
};
struct Realtime {
  bool run(Session& session) const;
};
// The dark device sleeps once its idle-sleep window has passed.
struct IdleSleep {
  bool run(Session& session) const;
};

// --- Buttons and gestures -------------------------------------------------------------------

// The sleep/wake button: one press, at once.
struct PressLock {
  bool run(Session& session) const;
};
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
  bool run(Session& session) const;
};
// The home button goes down now, or comes up now: a press as long as the time between,
// held by hand (a browser's mouse button) or by a scenario. Down while down, or up while
// up, cannot be done.
struct HomeButton {
  bool down = false;
  bool run(Session& session) const;
};
// A finger on the fingerprint sensor: the event the sensor reports.
struct Finger {
  long long event = 0;
  bool run(Session& session) const;
};
// The host's reachability toggle.
struct Reachability {
  bool run(Session& session) const;
};
// SpringBoard builds the home button's gesture recognizers again.
struct RebuildHomeGestures {
  bool run(Session& session) const;
};
struct Unlock {
  bool run(Session& session) const;
};

// --- Motion ---------------------------------------------------------------------------------

struct Pose {
  hardware::Vector3 gravity;
  bool run(Session& session) const;
};
struct Move {
  hardware::Vector3 to;
  double seconds = 0;
  bool run(Session& session) const;
};
struct Shake {
  double g = 0;
  double seconds = 0;
  bool run(Session& session) const;
};
struct Replay {
  std::filesystem::path file;  // resolved against the scenario's directory
  recordings::RecordingSummary summary;
  bool run(Session& session) const;
};
struct NoMotionSensor {
  bool run(Session& session) const;
};
// A user acceleration on top of the pose, constant, until changed or for `seconds`.
struct Accelerate {
  hardware::Vector3 acceleration;
  std::optional<double> seconds;  // none: until changed
  bool run(Session& session) const;
};
// The next device-motion delivery hands the handler an error and no reading.
struct MotionError {
  bool run(Session& session) const;
};

// --- Control Center and drawing ---------------------------------------------------------------

struct ControlCenter {
  bool open = false;
  bool run(Session& session) const;
};
struct TapToggle {
  std::string identifier;
  bool run(Session& session) const;
};
struct Snapshot {
  std::optional<std::string> toggle;  // an identifier; none: the whole screen
  std::filesystem::path file;         // resolved against the scenario's directory
  bool homeScreen = false;            // the home screen's window, whatever covers it
  bool run(Session& session) const;
};
// At the end of the run, a picture of what the motion sensor read and what the device did
// (see Plot.h); .png or .svg.
struct PlotFile {
  std::filesystem::path file;
  bool run(Session& session) const;
};
struct Seed {
  std::uint64_t seed = 1;
  bool run(Session& session) const;
};
struct ScreenSize {
  bool fivePointFive = false;
  bool run(Session& session) const;
};

// --- The host: how it is built, and what it does of its own -----------------------------------

struct Without {
  std::string className;
  bool run(Session& session) const;
};
// A host method, by class and selector: one the host class lacks (`without-method`), or one
// it has of its own under a selector a library means to add (`host-implements`).
struct HostMethod {
  std::string className;
  std::string selector;
  bool own = false;
  bool run(Session& session) const;
};
// The host's gesture manager answers only addGestureRecognizer:toDisplay:.
struct OlderGestureManager {
  bool run(Session& session) const;
};
// A physical home press lights a dark display, as on a stock phone.
struct HomeButtonWakes {
  bool on = false;
  bool run(Session& session) const;
};
// A host whose root folder controller has no view.
struct NoRootFolderView {
  bool run(Session& session) const;
};
// SpringBoard tells the lock screen of screen-off mode, and nothing else.
struct ScreenOffMode {
  bool on = false;
  bool run(Session& session) const;
};
// SpringBoard presents the lock screen again: a second lockScreenViewControllerDidPresent.
struct PresentLockScreen {
  bool run(Session& session) const;
};
// SpringBoard stores one of reachability's settings again, through its setter.
struct ReachabilitySetting {
  std::string setting;  // "yOffsetFactor" or "systemWideSwipeDownHeight"
  double value = 0;
  bool run(Session& session) const;
};
// Every running view animation is taken off now; its completion runs with NO.
struct CutAnimations {
  bool run(Session& session) const;
};
struct Switch {
  enum What { LowPowerMode, Charging, Call } what = LowPowerMode;
  bool on = false;
  bool run(Session& session) const;
};

// --- Expectations, and what the device can show ----------------------------------------------

// From this line on the device records what the tweak asks the host ("query") and each
// delegate question of the gesture recognizers ("gesture"); `verbose off` ends it.
struct Verbose {
  bool on = true;
  bool run(Session& session) const;
};
// A line naming the home button's recognizers: the configuration's, by getter, and those
// attached to the display.
struct ShowHomeGestures {
  static constexpr bool kLeavesWork = true;
  bool run(Session& session) const;
};

struct ExpectDisplay {
  static constexpr bool kLeavesWork = true;
  bool on = false;
  bool run(Session& session) const;
};
struct ExpectLockScreen {
  static constexpr bool kLeavesWork = true;
  bool up = false;
  bool run(Session& session) const;
};
struct ExpectSampling {
  static constexpr bool kLeavesWork = true;
  bool on = false;
  bool run(Session& session) const;
};
// The update interval of the motion source that is sampling.
struct ExpectSamplingInterval {
  static constexpr bool kLeavesWork = true;
  double seconds = 0;
  bool run(Session& session) const;
};
struct ExpectReachability {
  static constexpr bool kLeavesWork = true;
  bool on = false;
  bool run(Session& session) const;
};
struct ExpectCount {
  static constexpr bool kLeavesWork = true;
  enum Op { Equal, NotEqual, AtLeast, AtMost, Greater, Less } op = Equal;
  std::string kind;
  std::optional<std::string> text;  // none: any text
  long long n = 0;
  bool run(Session& session) const;
};
struct ExpectSetting {
  static constexpr bool kLeavesWork = true;
  std::string key;
  std::optional<plist::Value> value;  // none: the key must be absent
  bool run(Session& session) const;
};
// The tweak's in-memory settings dictionary `prefs`, read as a debugger reads the tweak.
struct ExpectPrefs {
  static constexpr bool kLeavesWork = true;
  std::string key;
  std::optional<plist::Value> value;  // none: the key must be absent
  bool run(Session& session) const;
};
struct ExpectToggle {
  static constexpr bool kLeavesWork = true;
  enum What { Selected, Background, Radius, RadiusUnset, Scale, Highlight, SelectedColor, Glyph } what = Selected;
  std::string identifier;
  bool selected = false;               // Selected; Glyph: the state whose glyph
  bool hidden = false;                 // Highlight
  std::optional<quartzcore::Color> color;  // Background; SelectedColor (none: no colour)
  double number = 0;                   // Radius, Scale
  std::string image;                   // Glyph: "ON", "OFF" or "none"
  bool run(Session& session) const;
};

}  // namespace command

using Command =
    std::variant<command::Set, command::Without, command::NoMotionSensor, command::IdleSleep, command::Realtime,
                 command::OlderGestureManager, command::HomeButtonWakes, command::Boot, command::Wait, command::At,
                 command::PressLock, command::HomeGesture, command::HomeButton, command::Finger, command::Reachability,
                 command::RebuildHomeGestures, command::Unlock, command::Switch, command::Pose, command::Move,
                 command::Shake, command::Replay, command::Post, command::ExpectDisplay, command::ExpectLockScreen,
                 command::ExpectSampling, command::ExpectReachability, command::ExpectCount, command::ExpectSetting,
                 command::Style, command::Seed, command::ScreenSize, command::ControlCenter, command::TapToggle,
                 command::Snapshot, command::ExpectToggle, command::ProgressImage, command::NoRootFolderView,
                 command::Strict, command::Turn, command::ExpectSamplingInterval, command::PlotFile,
                 command::PutFile, command::DeleteSettings, command::SettingsUnreadable, command::HostMethod,
                 command::Accelerate, command::MotionError, command::ScreenOffMode, command::PresentLockScreen,
                 command::ReachabilitySetting, command::CutAnimations, command::Verbose, command::ShowHomeGestures,
                 command::ExpectPrefs>;

// False for `step` and for what only looks (expectations): the device is not settled
// after them.
bool settlesAfter(const Command& command);

struct Step {
  std::size_t line = 0;
  std::string text;  // the line as written, less comment and outer blanks
  Command command;
};

}  // namespace sim
