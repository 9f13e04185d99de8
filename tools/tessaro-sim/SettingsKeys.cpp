#include "tools/tessaro-sim/SettingsKeys.h"

#include <algorithm>
#include <array>
#include <cctype>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <vector>

namespace sim {

namespace {

// The tweak's names, misspellings included: they are the keys its settings editor writes.
constexpr std::array kKeys = {
    SettingsKey{"isEnabled", KeyKind::Boolean, "NO", "master switch of the tweak", "everything"},
    SettingsKey{"disableMotionDetectionSlider", KeyKind::Real, "30.0", "length of the detection time-out, in minutes",
                "motion wake, home-button wake"},
    SettingsKey{"disableDetectionMode", KeyKind::Integer, "0", "0 ends detection after the time-out; any other value arms no time-out",
                "motion wake, home-button wake"},
    SettingsKey{"wakeMode", KeyKind::Integer, "0",
                "0 wakes while dark; 1 also presses the lock button when a lit device is turned face down; any other value: the face-down lock only",
                "motion wake"},
    SettingsKey{"isWakeScreenSensitivityEnabled", KeyKind::Boolean, "NO",
                "thresholds scale with motionSenstivity, and pick-up and lay-flat also require the device steady", "motion wake"},
    SettingsKey{"motionSenstivity", KeyKind::Real, "7.0",
                "scale of the thresholds: /3 g for any-motion, /50 g for the steady test; larger needs harder moves", "motion wake"},
    SettingsKey{"wakeGestureMode", KeyKind::Integer, "0", "0 pick-up, 1 any motion, 2 lay flat after raised; other values never wake",
                "motion wake"},
    SettingsKey{"isMotionDetectorReEnabled", KeyKind::Boolean, "NO",
                "NO: the end of detection lights the display; YES: detection is taken up again when the display lights", "motion wake"},
    SettingsKey{"isUpdateIntervalEnabled", KeyKind::Boolean, "NO", "use updateIntervalSlider for the sampling interval (else 1 s)",
                "motion wake"},
    SettingsKey{"updateIntervalSlider", KeyKind::Integer, "5", "sampling interval: 0 0.025 s, 1 0.05, 2 0.1, 3 0.2, 4 0.5, other 1 s",
                "motion wake"},
    SettingsKey{"isReachavilityDisabled", KeyKind::Boolean, "NO", "suppress reachability", "reachability"},
    SettingsKey{"isAllowTapOnScreenOffEnabled", KeyKind::Boolean, "NO",
                "home-button mode: a home-button gesture wakes the dark screen, and motion sampling does not run", "home-button wake"},
    SettingsKey{"isVibrationEnabled", KeyKind::Boolean, "NO", "vibrate on a home-button action", "home-button wake"},
    SettingsKey{"vibrationIntensity", KeyKind::Real, "0.75", "vibration intensity, 0.0 to 1.0", "home-button wake"},
    SettingsKey{"vibrationDuration", KeyKind::Integer, "30", "vibration length in milliseconds", "home-button wake"},
    SettingsKey{"tapToWakeMode", KeyKind::Integer, "2", "0 single press, 1 double press, 2 press held 0.4 s, 3 tap then hold; other: none",
                "home-button wake"},
    SettingsKey{"bgTessaroColor", KeyKind::Colour, "(none)", "the toggle's selected colour, a colour string", "toggle styling"},
};

char folded(char c) { return static_cast<char>(std::tolower(static_cast<unsigned char>(c))); }

}  // namespace

int editDistance(std::string_view a, std::string_view b) {
  std::vector<int> row(b.size() + 1);
  for (std::size_t j = 0; j <= b.size(); ++j) row[j] = static_cast<int>(2 * j);
  for (std::size_t i = 1; i <= a.size(); ++i) {
    int diagonal = row[0];
    row[0] = static_cast<int>(2 * i);
    for (std::size_t j = 1; j <= b.size(); ++j) {
      const int substitution = a[i - 1] == b[j - 1] ? 0 : folded(a[i - 1]) == folded(b[j - 1]) ? 1 : 2;
      const int best = std::min({row[j] + 2, row[j - 1] + 2, diagonal + substitution});
      diagonal = row[j];
      row[j] = best;
    }
  }
  return row[b.size()];
}

namespace {

const char* kindName(KeyKind kind) {
  switch (kind) {
    case KeyKind::Boolean: return "a boolean";
    case KeyKind::Integer: return "a whole number";
    case KeyKind::Real: return "a number";
    case KeyKind::Colour: return "a colour string";
  }
  return "?";
}

const char* valueKindName(plist::Kind kind) {
  switch (kind) {
    case plist::Kind::Boolean: return "a boolean";
    case plist::Kind::Integer: return "an integer";
    case plist::Kind::Real: return "a real number";
    case plist::Kind::String: return "a string";
    case plist::Kind::Data: return "data";
    case plist::Kind::Date: return "a date";
    case plist::Kind::Array: return "an array";
    case plist::Kind::Dictionary: return "a dictionary";
  }
  return "?";
}

bool holdsNumber(const std::string& text) {
  double value = 0;
  const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
  return error == std::errc() && end == text.data() + text.size();
}

}  // namespace

std::span<const SettingsKey> settingsKeys() { return kKeys; }

const SettingsKey* settingsKeyNamed(std::string_view name) {
  const auto found = std::find_if(kKeys.begin(), kKeys.end(), [&](const SettingsKey& key) { return key.name == name; });
  return found == kKeys.end() ? nullptr : &*found;
}

std::optional<std::string> closestSettingsKey(std::string_view name) {
  const SettingsKey* best = nullptr;
  int bestDistance = 0;
  for (const SettingsKey& key : kKeys) {
    const int d = editDistance(name, key.name);
    if (best == nullptr || d < bestDistance) {
      best = &key;
      bestDistance = d;
    }
  }
  // Within about a third of the name's letters: further off is another word, not a typo.
  const int limit = std::max<int>(4, static_cast<int>(2 * std::string_view(best->name).size() / 3));
  if (bestDistance > limit) return std::nullopt;
  return best->name;
}

std::optional<std::string> checkSettingKey(std::string_view key) {
  if (settingsKeyNamed(key)) return std::nullopt;
  std::string text = "unknown settings key \"" + std::string(key) + "\"";
  if (auto closest = closestSettingsKey(key)) text += " (did you mean " + *closest + "?)";
  return text + "; the tweak does not read it";
}

std::optional<std::string> checkSetting(std::string_view key, const plist::Value& value) {
  const SettingsKey* known = settingsKeyNamed(key);
  if (known == nullptr) return checkSettingKey(key);
  const std::string problem = std::string(key) + " is read as " + kindName(known->kind) + "; got " + valueKindName(value.kind());
  if (known->kind == KeyKind::Colour) return value.isString() ? std::nullopt : std::optional(problem);
  switch (value.kind()) {
    case plist::Kind::Boolean:
    case plist::Kind::Integer: return std::nullopt;
    case plist::Kind::Real:
      if (known->kind == KeyKind::Integer && std::trunc(*value.asReal()) != *value.asReal()) {
        return problem + ", which the tweak truncates toward zero";
      }
      return std::nullopt;
    case plist::Kind::String:
      // The tweak converts a string that holds a number, as the platform does.
      return problem + (holdsNumber(*value.asString()) ? ", which the tweak converts" : ", which reads as 0 (NO)");
    default: return problem + ", which the tweak takes as absent";
  }
}

namespace {

// A value as the platform's number conversions take it: a boolean as 0 or 1, a string
// holding a number as that number, any other string as 0.
double numberOf(const plist::Value& value) {
  switch (value.kind()) {
    case plist::Kind::Boolean: return *value.asBoolean() ? 1 : 0;
    case plist::Kind::Integer: return static_cast<double>(*value.asInteger());
    case plist::Kind::Real: return *value.asReal();
    case plist::Kind::String: {
      double number = 0;
      const std::string& text = *value.asString();
      const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), number);
      return error == std::errc() && end == text.data() + text.size() ? number : 0;
    }
    default: return 0;
  }
}

class Effective {
 public:
  explicit Effective(const plist::Dictionary& settings) : settings_(settings) {}

  double number(const char* key, double whenAbsent) const {
    const auto found = settings_.find(key);
    if (found == settings_.end()) return whenAbsent;
    switch (found->second.kind()) {
      case plist::Kind::Boolean:
      case plist::Kind::Integer:
      case plist::Kind::Real:
      case plist::Kind::String: return numberOf(found->second);
      default: return whenAbsent;  // no number conversion: the tweak takes it as absent
    }
  }
  bool flag(const char* key) const { return number(key, 0) != 0; }
  long long integer(const char* key, long long whenAbsent) const {
    const double value = std::trunc(number(key, static_cast<double>(whenAbsent)));
    if (!(value >= -2147483648.0 && value <= 2147483647.0)) return 0;  // beyond a 32-bit int
    return static_cast<long long>(value);
  }

 private:
  const plist::Dictionary& settings_;
};

std::string seconds(double value) {
  char text[32];
  std::snprintf(text, sizeof text, "%g s", value);
  return text;
}

std::string grams(double value) {
  char text[32];
  std::snprintf(text, sizeof text, "%.4g g", value);
  return text;
}

const char* wakeModeName(long long mode) {
  switch (mode) {
    case 0: return "wakes while dark";
    case 1: return "wakes while dark, and locks a lit device turned face down";
    default: return "the face-down lock only: never wakes";
  }
}

const char* gestureName(long long mode) {
  switch (mode) {
    case 0: return "pick-up: wakes on the change into raised";
    case 1: return "any motion: wakes when the user acceleration reaches the threshold";
    case 2: return "lay flat: wakes on face up straight after raised";
    default: return "none: never wakes";
  }
}

double samplingInterval(bool enabled, long long slider) {
  if (!enabled) return 1.0;
  static constexpr double kIntervals[] = {0.025, 0.05, 0.1, 0.2, 0.5};
  return slider >= 0 && slider < 5 ? kIntervals[slider] : 1.0;
}

}  // namespace

SettingsExplained explainSettings(const plist::Dictionary& settings) {
  const Effective effective(settings);
  SettingsExplained out;
  nlohmann::ordered_json values = nlohmann::ordered_json::object();
  for (const SettingsKey& key : kKeys) {
    const auto found = settings.find(key.name);
    if (key.kind == KeyKind::Colour) {
      values[key.name] = found != settings.end() && found->second.isString() ? nlohmann::ordered_json(*found->second.asString())
                                                                             : nlohmann::ordered_json(nullptr);
    } else if (key.kind == KeyKind::Boolean) {
      values[key.name] = effective.flag(key.name);
    } else if (key.kind == KeyKind::Integer) {
      values[key.name] = effective.integer(key.name, std::stoll(key.whenAbsent));
    } else {
      double value = effective.number(key.name, std::stod(key.whenAbsent));
      if (std::string_view(key.name) != "disableMotionDetectionSlider") value = static_cast<float>(value);
      values[key.name] = value;
    }
  }
  out.json["settings"] = values;

  const bool enabled = effective.flag("isEnabled");
  const bool homeButtonMode = effective.flag("isAllowTapOnScreenOffEnabled");
  const long long wakeMode = effective.integer("wakeMode", 0);
  const long long gesture = effective.integer("wakeGestureMode", 0);
  const bool scaled = effective.flag("isWakeScreenSensitivityEnabled");
  const float sensitivity = static_cast<float>(effective.number("motionSenstivity", 7.0));
  const double interval = samplingInterval(effective.flag("isUpdateIntervalEnabled"), effective.integer("updateIntervalSlider", 5));
  const bool timeout = effective.integer("disableDetectionMode", 0) == 0;
  const double window = effective.number("disableMotionDetectionSlider", 30.0) * 60.0;
  const bool lightsAtEnd = !effective.flag("isMotionDetectorReEnabled");

  nlohmann::ordered_json motion;
  motion["samples"] = enabled && !homeButtonMode;
  if (!enabled) out.lines.push_back("the tweak is off (isEnabled NO): nothing samples, nothing wakes");
  if (enabled && homeButtonMode) {
    out.lines.push_back("home-button mode (isAllowTapOnScreenOffEnabled YES): no motion sampling; tapToWakeMode " +
                        std::to_string(effective.integer("tapToWakeMode", 2)));
  }
  motion["wakeMode"] = {{"value", wakeMode}, {"meaning", wakeModeName(wakeMode)}};
  motion["wakeGestureMode"] = {{"value", gesture}, {"meaning", gestureName(gesture)}};
  motion["samplingInterval"] = interval;
  out.lines.push_back(std::string("motion: wake mode ") + std::to_string(wakeMode) + " (" + wakeModeName(wakeMode) +
                      "), gesture " + std::to_string(gesture) + " (" + gestureName(gesture) + ")");
  out.lines.push_back("sampling every " + seconds(interval) + ", two classification steps an interval");

  const float anyMotion = scaled ? sensitivity / 3.0f : 2.0f;
  const float steady = sensitivity / 50.0f;
  if (gesture == 1) {
    motion["anyMotionThreshold"] = anyMotion;
    out.lines.push_back("threshold: wakes at a user acceleration of " + grams(anyMotion) + " or more on an axis" +
                        (scaled ? " (motionSenstivity / 3)" : " (fixed; isWakeScreenSensitivityEnabled NO)"));
  } else if (gesture == 0 || gesture == 2) {
    if (scaled) {
      motion["steadyThreshold"] = steady;
      out.lines.push_back("steady test: wakes only while every axis of the user acceleration stays below " + grams(steady) +
                          " (motionSenstivity / 50)");
    } else {
      motion["steadyThreshold"] = nullptr;
      out.lines.push_back("steady test: off (isWakeScreenSensitivityEnabled NO)");
    }
  }
  if (timeout) {
    motion["timeout"] = window;
    out.lines.push_back("time-out: detection ends " + seconds(window) + " after the first dark step" +
                        (lightsAtEnd ? ", lighting the display" : ", without lighting the display"));
  } else {
    motion["timeout"] = nullptr;
    out.lines.push_back("time-out: none (disableDetectionMode is not 0)");
  }
  out.json["motion"] = motion;
  return out;
}

}  // namespace sim
