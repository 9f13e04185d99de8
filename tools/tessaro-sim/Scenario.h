#pragma once
// A scenario: the lines of the scenario language (commands/CommandTable.h, one command a
// line, '#' comments, blank lines ignored; see docs/SCENARIOS.md), parsed and checked whole
// before any of it runs, so that a mistake on its last line costs nothing.

#include "tools/tessaro-sim/SettingsKeys.h"
#include "tools/tessaro-sim/commands/Commands.h"

#include <cstddef>
#include <filesystem>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace sim {

// A scenario that cannot run; what() is "FILE:LINE: message".
class ScenarioError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
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
