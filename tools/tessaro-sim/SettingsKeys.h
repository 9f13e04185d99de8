#pragma once
// The keys of the tweak's settings file that the tweak reads, with the kind it reads each
// as, its value when absent and its meaning: what the simulator checks a `set` or `--set`
// against, and what a replay's header explains. A key not in the table is still written
// (a settings file may carry keys the tweak ignores), but earns a warning naming the
// closest known key; a value of a kind the tweak does not read as the key's earns one too.

#include "platform/plist/PropertyList.h"

#include <nlohmann/json.hpp>

#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace sim {

enum class KeyKind { Boolean, Integer, Real, Colour };

struct SettingsKey {
  const char* name;
  KeyKind kind;
  const char* whenAbsent;  // as a scenario would write it
  const char* meaning;
  const char* readBy;      // which feature reads it
};

std::span<const SettingsKey> settingsKeys();
const SettingsKey* settingsKeyNamed(std::string_view name);

// Edit distance in half steps: a letter of the other case costs 1, any other edit 2. What
// the simulator's "did you mean" suggestions are measured by.
int editDistance(std::string_view a, std::string_view b);

// The known key nearest to `name` by edit distance, when it is near enough to be a likely
// misspelling.
std::optional<std::string> closestSettingsKey(std::string_view name);

// Nullopt when `key` is known and `value` is of a kind the tweak reads for it; otherwise
// the warning's text, without location: "unknown settings key \"motionSensitivity\" (did
// you mean motionSenstivity?)", or "motionSenstivity is read as a number; got a string".
std::optional<std::string> checkSetting(std::string_view key, const plist::Value& value);
// The same for a key alone (an `unset` line).
std::optional<std::string> checkSettingKey(std::string_view key);

// A settings file's values as the tweak reads them: a missing key (or one without a number
// conversion) at `whenAbsent`, a boolean, a number or a string holding a number converted as
// the platform converts it, an integer key truncated toward zero (0 beyond 32 bits).
class EffectiveSettings {
 public:
  explicit EffectiveSettings(const plist::Dictionary& settings);
  double number(const char* key, double whenAbsent) const;
  bool flag(const char* key) const;
  long long integer(const char* key, long long whenAbsent) const;

 private:
  const plist::Dictionary& settings_;
};

// --- Values in words: as a `set` line, `--set KEY=VALUE` or `--grid KEY=A,B` writes them,
// and as messages and timelines show them.

// true/false/YES/NO, an integer, a real, or (quoted) a string. Nullopt with `problem`
// filled in otherwise.
std::optional<plist::Value> parseValue(std::string_view text, bool quoted, std::string& problem);
// A value as one word of the command line gives it: a string in "..." is quoted, anything
// else parsed as parseValue does.
std::optional<plist::Value> parseValueWord(std::string_view word, std::string& problem);
// As a scenario would write it: YES, 3, 0.5, "text".
std::string describeValue(const plist::Value& value);
// "isEnabled YES, wakeMode 0", or "(empty)".
std::string describeSettings(const plist::Dictionary& settings);
// {"isEnabled": "YES", "wakeMode": "0"}: each value as describeValue writes it.
nlohmann::ordered_json describedSettings(const plist::Dictionary& settings);

// The dictionary a file's bytes hold, as the device reads a property list (XML or binary);
// none when they hold no property-list dictionary, which the tweak reads as no file.
std::optional<plist::Dictionary> dictionaryOf(std::string_view bytes);

// The settings as the tweak takes them (a missing key at its default, an integer key
// truncated, motionSenstivity in single precision) and what follows from them for motion
// wake, in words and as JSON: the modes by name, the sampling interval, the thresholds in
// g and the time-out window.
struct SettingsExplained {
  std::vector<std::string> lines;
  nlohmann::ordered_json json;
};
SettingsExplained explainSettings(const plist::Dictionary& settings);

}  // namespace sim
