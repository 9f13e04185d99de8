#include "tools/tessaro-sim/Scenario.h"

#include "platform/hardware/MotionWorld.h"
#include "tools/tessaro-sim/MotionVocabulary.h"
#include "platform/core/EventKinds.h"
#include "tools/tessaro-sim/SettingsKeys.h"
#include "tools/tessaro-sim/ToggleVocabulary.h"

#include <nlohmann/json.hpp>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <functional>
#include <map>
#include <set>

namespace sim {

namespace {

struct Token {
  std::string text;
  bool quoted = false;
};

std::optional<double> parseNumber(std::string_view text) {
  double value = 0;
  const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
  if (error != std::errc() || end != text.data() + text.size() || !std::isfinite(value)) return std::nullopt;
  return value;
}

std::optional<long long> parseInteger(std::string_view text) {
  long long value = 0;
  const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
  if (error != std::errc() || end != text.data() + text.size()) return std::nullopt;
  return value;
}

std::string lowercase(std::string_view text) {
  std::string lower(text);
  std::transform(lower.begin(), lower.end(), lower.begin(), [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
  return lower;
}

// A word as the messages show it: JSON-quoted, and bytes that are no UTF-8 shown as U+FFFD
// (a scenario is a file of the user's, any bytes at all).
std::string quote(const std::string& text) {
  return nlohmann::json(text).dump(-1, ' ', false, nlohmann::json::error_handler_t::replace);
}

// The words of one line. '#' at the start of a word comments out the rest; "..." is one
// word, with \" \\ \n \t inside.
std::vector<Token> tokenize(std::string_view line, std::string& problem) {
  std::vector<Token> tokens;
  std::size_t i = 0;
  auto blank = [](char c) { return c == ' ' || c == '\t' || c == '\r'; };
  while (i < line.size()) {
    if (blank(line[i])) {
      ++i;
      continue;
    }
    if (line[i] == '#') break;
    Token token;
    if (line[i] == '"') {
      token.quoted = true;
      ++i;
      bool closed = false;
      while (i < line.size()) {
        const char c = line[i++];
        if (c == '"') {
          closed = true;
          break;
        }
        if (c != '\\') {
          token.text.push_back(c);
          continue;
        }
        if (i == line.size()) break;
        const char escaped = line[i++];
        switch (escaped) {
          case 'n': token.text.push_back('\n'); break;
          case 't': token.text.push_back('\t'); break;
          case '"':
          case '\\': token.text.push_back(escaped); break;
          default: problem = std::string("unknown escape \\") + escaped + " in a quoted string"; return {};
        }
      }
      if (!closed) {
        problem = "a quoted string is not closed";
        return {};
      }
      if (i < line.size() && !blank(line[i])) {
        problem = "expected a space after a closing quote";
        return {};
      }
    } else {
      while (i < line.size() && !blank(line[i])) {
        if (line[i] == '"') {
          problem = "a quote inside a word; quote the whole word";
          return {};
        }
        token.text.push_back(line[i++]);
      }
    }
    tokens.push_back(std::move(token));
  }
  return tokens;
}

// A scenario is UTF-8 text; the first byte that is not is reported, escaped, with its line.
void checkUtf8(std::string_view text, const std::string& name) {
  std::size_t line = 1, column = 1;
  for (std::size_t i = 0; i < text.size();) {
    const auto byte = static_cast<unsigned char>(text[i]);
    std::size_t length = byte < 0x80 ? 1 : (byte >> 5) == 0x6 ? 2 : (byte >> 4) == 0xE ? 3 : (byte >> 3) == 0x1E ? 4 : 0;
    bool valid = length > 0 && i + length <= text.size();
    std::uint32_t code = length == 1 ? byte : length == 2 ? byte & 0x1F : length == 3 ? byte & 0x0F : byte & 0x07;
    for (std::size_t k = 1; valid && k < length; ++k) {
      const auto next = static_cast<unsigned char>(text[i + k]);
      valid = (next & 0xC0) == 0x80;
      code = (code << 6) | (next & 0x3F);
    }
    // Overlong forms, surrogates and code points past U+10FFFF are not UTF-8 either.
    static constexpr std::uint32_t kLeast[] = {0, 0, 0x80, 0x800, 0x10000};
    if (valid && (code < kLeast[length] || (code >= 0xD800 && code <= 0xDFFF) || code > 0x10FFFF)) valid = false;
    if (!valid) {
      char hex[8];
      std::snprintf(hex, sizeof hex, "\\x%02X", byte);
      throw ScenarioError(name + ":" + std::to_string(line) + ": not UTF-8 text: byte " + hex + " at column " +
                          std::to_string(column));
    }
    if (byte == '\n') {
      ++line;
      column = 1;
    } else {
      ++column;
    }
    i += length;
  }
}

// The parser's view of one line: its words and how to complain about them.
class Line {
 public:
  Line(const std::string& file, std::size_t number, std::vector<Token> tokens)
      : file_(file), number_(number), tokens_(std::move(tokens)) {}

  [[noreturn]] void fail(const std::string& message) const {
    throw ScenarioError(file_ + ":" + std::to_string(number_) + ": " + message);
  }

  std::size_t size() const { return tokens_.size(); }
  const Token& operator[](std::size_t i) const { return tokens_[i]; }
  const std::string& word(std::size_t i) const { return tokens_[i].text; }
  std::string usage() const { return "usage: " + usage_; }

  void expectArguments(std::size_t count, std::string usage) {
    usage_ = std::move(usage);
    if (size() != count + 1) fail(this->usage());
  }
  void expectArguments(std::size_t least, std::size_t most, std::string usage) {
    usage_ = std::move(usage);
    if (size() < least + 1 || size() > most + 1) fail(this->usage());
  }

  double number(std::size_t i, const char* what) const {
    auto value = parseNumber(word(i));
    if (!value || tokens_[i].quoted) fail("bad " + std::string(what) + " " + quote(word(i)) + ": expected a number");
    return *value;
  }

  // "2.5", "2.5s", "500ms", "3m", "1h", or a number and a unit as two words, to the end
  // of the line.
  // `bounded`: at most kMaxLineSeconds.
  double duration(std::size_t from, const char* what, bool bounded = true) const {
    if (from >= size() || size() - from > 2) fail(usage());
    if (size() - from == 2) return seconds(word(from), word(from + 1), from, what, bounded);
    return durationWord(from, what, bounded);
  }

  // One word: "0.2", "0.2s", "200ms".
  double durationWord(std::size_t i, const char* what, bool bounded = true) const {
    std::string text = word(i);
    std::string unit;
    const auto split = text.find_first_not_of("0123456789.+-eE");
    if (split != std::string::npos && split > 0) {
      unit = text.substr(split);
      text.resize(split);
    }
    return seconds(text, unit, i, what, bounded);
  }

  bool onOff(std::size_t i) const {
    const std::string value = lowercase(word(i));
    if (value == "on" || value == "yes" || value == "true") return true;
    if (value == "off" || value == "no" || value == "false") return false;
    fail("expected on or off, got " + quote(word(i)));
  }

  // A named pose or three numbers, from word `from` up to (not including) word `end`.
  hardware::Vector3 gravity(std::size_t from, std::size_t end) const {
    if (end - from == 1) {
      if (auto pose = sim::poseNamed(word(from))) return *pose;
      fail("unknown pose " + quote(word(from)) + " (face-up, face-down, raised, upright, landscape, or x y z)");
    }
    if (end - from != 3) fail(usage());
    hardware::Vector3 v{number(from, "x"), number(from + 1, "y"), number(from + 2, "z")};
    if (v.x == 0 && v.y == 0 && v.z == 0) fail("gravity cannot be zero");
    return v;
  }

  plist::Value value(std::size_t i) const {
    std::string problem;
    auto value = parseValue(word(i), tokens_[i].quoted, problem);
    if (!value) fail(problem);
    return *value;
  }

 private:
  // `number` `unit` in seconds; word `i` is the one the message names.
  double seconds(const std::string& number, const std::string& unit, std::size_t i, const char* what,
                 bool bounded = true) const {
    static const std::map<std::string, double, std::less<>> units = {
        {"", 1}, {"s", 1}, {"sec", 1}, {"ms", 0.001}, {"m", 60}, {"min", 60}, {"h", 3600}};
    const auto scale = units.find(unit);
    auto value = parseNumber(number);
    if (!value || tokens_[i].quoted) fail("bad " + std::string(what) + " " + quote(word(i)) + ": expected a number of seconds");
    if (scale == units.end()) fail("unknown unit " + quote(unit) + " (use s, ms, m or h)");
    if (*value < 0) fail(std::string(what) + " cannot be negative");
    const double seconds = *value * scale->second;
    if (!std::isfinite(seconds)) fail(std::string(what) + " " + quote(word(i)) + " is too large");
    if (bounded && seconds > kMaxLineSeconds) {
      fail(std::string(what) + " " + quote(word(i)) + " is longer than one line may run the device (" +
           nlohmann::json(kMaxLineSeconds).dump() + " s, a day); split it over several lines");
    }
    return seconds;
  }

  const std::string& file_;
  std::size_t number_;
  std::vector<Token> tokens_;
  std::string usage_;
};

// "press home [twice] [gap G] [for D]", "hold home D", "tap-hold home D [gap G]".
Command parseHomeGesture(Line& line) {
  const std::string& name = line.word(0);
  std::size_t next = 2;
  double hold = kClickSeconds;
  bool twice = false;
  std::string usage;
  if (name == "press") {
    usage = "press home [twice] [gap DURATION] [for DURATION]";
    if (line.size() > 2 && line.word(2) == "twice") {
      twice = true;
      next = 3;
    }
  } else if (name == "hold") {
    usage = "hold home DURATION";
    if (line.size() != 3) line.fail("usage: " + usage);
    hold = line.durationWord(2, "duration");
    next = 3;
  } else {
    usage = "tap-hold home DURATION [gap DURATION]";
    if (line.size() < 3) line.fail("usage: " + usage);
    hold = line.durationWord(2, "duration");
    next = 3;
  }
  if (line.size() < 2 || line.word(1) != "home") line.fail("usage: " + usage);
  std::optional<double> gap;
  std::optional<double> held;
  for (std::size_t i = next; i < line.size(); i += 2) {
    const std::string& option = line.word(i);
    const bool allowed = (option == "gap" && name != "hold" && (twice || name == "tap-hold")) ||
                         (option == "for" && name == "press");
    if (!allowed || i + 1 == line.size()) line.fail("usage: " + usage);
    std::optional<double>& slot = option == "gap" ? gap : held;
    if (slot) line.fail(quote(option) + " given twice");
    slot = line.durationWord(i + 1, option == "gap" ? "gap" : "duration");
  }
  command::HomeGesture gesture;
  if (name == "press") {
    gesture.presses.push_back({0, held.value_or(hold)});
    if (twice) gesture.presses.push_back({gap.value_or(kPressGapSeconds), held.value_or(hold)});
  } else if (name == "hold") {
    gesture.presses.push_back({0, hold});
  } else {
    gesture.presses.push_back({0, kClickSeconds});
    gesture.presses.push_back({gap.value_or(kPressGapSeconds), hold});
  }
  for (const auto& press : gesture.presses) {
    if (press.hold <= 0) line.fail("a press must be held for some time");
  }
  return gesture;
}

// A toggle by identifier or short name.
std::string toggle(const Line& line, std::size_t i) {
  if (auto identifier = toggleNamed(line.word(i))) return *identifier;
  std::string names;
  for (const std::string& name : toggleNames()) names += (names.empty() ? "" : ", ") + name;
  line.fail("unknown toggle " + quote(line.word(i)) + " (" + names + ", or a module identifier)");
}

// A PNG file beside the scenario.
std::filesystem::path pictureFile(const Line& line, std::size_t i, const std::filesystem::path& directory) {
  const std::string& name = line.word(i);
  if (name.size() < 5 || !name.ends_with(".png")) line.fail("a snapshot is a .png file, got " + quote(name));
  return directory / name;
}

Command parseExpectToggle(Line& line) {
  line.expectArguments(3, 4, "expect toggle NAME selected|unselected|background COLOR|radius N|scale N");
  command::ExpectToggle expect;
  expect.identifier = toggle(line, 2);
  const std::string what = line.word(3);
  static const std::set<std::string> known = {"selected", "unselected", "background", "radius", "scale"};
  if (!known.contains(what)) {
    line.fail("unknown toggle expectation " + quote(what) + " (selected, unselected, background, radius, scale)");
  }
  if (what == "selected" || what == "unselected") {
    if (line.size() != 4) line.fail(line.usage());
    expect.what = command::ExpectToggle::Selected;
    expect.selected = what == "selected";
    return expect;
  }
  if (line.size() != 5) line.fail(line.usage());
  if (what == "background") {
    auto color = colorNamed(line.word(4));
    if (!color) line.fail("bad colour " + quote(line.word(4)) + ": expected clear, or RRGGBB or \"#RRGGBB\" with an optional :ALPHA (0 to 1)");
    expect.what = command::ExpectToggle::Background;
    expect.color = *color;
    return expect;
  }
  expect.what = what == "radius" ? command::ExpectToggle::Radius : command::ExpectToggle::Scale;
  expect.number = line.number(4, what.c_str());
  return expect;
}

Command parseExpect(Line& line) {
  if (line.size() < 2) line.fail("usage: expect display|lockscreen|sampling|reachability|count|setting|toggle ...");
  if (line.word(1) == "toggle") return parseExpectToggle(line);
  const std::string what = line.word(1);
  if (what == "display") {
    line.expectArguments(2, "expect display on|off");
    return command::ExpectDisplay{line.onOff(2)};
  }
  if (what == "lockscreen" || what == "lock-screen") {
    line.expectArguments(2, "expect lockscreen up|down");
    const std::string state = line.word(2);
    if (state != "up" && state != "down") line.fail("expected up or down, got " + quote(state));
    return command::ExpectLockScreen{state == "up"};
  }
  if (what == "sampling") {
    if (line.size() > 2 && line.word(2) == "interval") {
      line.expectArguments(3, "expect sampling interval SECONDS");
      const double seconds = line.durationWord(3, "interval");
      if (seconds <= 0) line.fail("a sampling interval is more than 0 s");
      return command::ExpectSamplingInterval{seconds};
    }
    line.expectArguments(2, "expect sampling on|off | expect sampling interval SECONDS");
    return command::ExpectSampling{line.onOff(2)};
  }
  if (what == "reachability") {
    line.expectArguments(2, "expect reachability on|off");
    return command::ExpectReachability{line.onOff(2)};
  }
  if (what == "count") {
    line.expectArguments(4, 5, "expect count KIND [\"TEXT\"] ==|!=|>=|<=|>|< N");
    command::ExpectCount count;
    count.kind = line.word(2);
    if (!isCountableKind(count.kind)) {
      line.fail("unknown event kind " + quote(count.kind) + " (did you mean " + closestKind(count.kind) +
                "? docs/SCENARIOS.md lists the kinds)");
    }
    if (line.size() == 6) count.text = line.word(3);
    static const std::map<std::string, command::ExpectCount::Op, std::less<>> ops = {
        {"==", command::ExpectCount::Equal},   {"!=", command::ExpectCount::NotEqual},
        {">=", command::ExpectCount::AtLeast}, {"<=", command::ExpectCount::AtMost},
        {">", command::ExpectCount::Greater},  {"<", command::ExpectCount::Less}};
    const std::size_t opIndex = line.size() - 2;
    const auto op = ops.find(line.word(opIndex));
    if (op == ops.end()) line.fail("bad comparison " + quote(line.word(opIndex)) + " (use ==, !=, >=, <=, > or <)");
    count.op = op->second;
    auto n = parseInteger(line.word(opIndex + 1));
    if (!n || *n < 0) line.fail("bad count " + quote(line.word(opIndex + 1)) + ": expected a whole number");
    count.n = *n;
    return count;
  }
  if (what == "setting") {
    line.expectArguments(3, "expect setting KEY VALUE|absent");
    command::ExpectSetting setting{line.word(2), std::nullopt};
    if (line.word(3) != "absent" || line[3].quoted) setting.value = line.value(3);
    return setting;
  }
  line.fail("unknown expectation " + quote(what) + " (display, lockscreen, sampling, reachability, count, setting, toggle)");
}

Command parseCommand(Line& line, const std::filesystem::path& directory) {
  const std::string& name = line.word(0);
  if (line[0].quoted) line.fail("a command cannot be quoted");
  if (name == "set") {
    line.expectArguments(2, "set KEY VALUE");
    return command::Set{line.word(1), line.value(2)};
  }
  if (name == "unset") {
    line.expectArguments(1, "unset KEY");
    return command::Set{line.word(1), std::nullopt};
  }
  if (name == "edit-settings") {
    line.expectArguments(2, "edit-settings KEY VALUE (the file rewritten, nothing posted)");
    return command::Set{line.word(1), line.value(2), false};
  }
  if (name == "edit-settings-unset") {
    line.expectArguments(1, "edit-settings-unset KEY (the file rewritten, nothing posted)");
    return command::Set{line.word(1), std::nullopt, false};
  }
  if (name == "strict") {
    line.expectArguments(0, "strict");
    return command::Strict{};
  }
  if (name == "step") {
    line.expectArguments(0, "step (one turn of the main run loop)");
    return command::Turn{};
  }
  if (name == "plot") {
    line.expectArguments(1, "plot FILE.png|FILE.svg");
    const std::string& file = line.word(1);
    if (!(file.size() > 4 && (file.ends_with(".png") || file.ends_with(".svg")))) {
      line.fail("a plot is a .png or .svg file, got " + quote(file));
    }
    return command::PlotFile{directory / file};
  }
  if (name == "without") {
    line.expectArguments(1, "without CLASS");
    return command::Without{line.word(1)};
  }
  if (name == "idle-sleep") {
    line.expectArguments(0, "idle-sleep");
    return command::IdleSleep{};
  }
  if (name == "no-motion-sensor") {
    line.expectArguments(0, "no-motion-sensor");
    return command::NoMotionSensor{};
  }
  if (name == "realtime") {
    line.expectArguments(0, "realtime");
    return command::Realtime{};
  }
  if (name == "boot") {
    line.expectArguments(0, "boot");
    return command::Boot{false};
  }
  if (name == "wait") {
    line.expectArguments(1, 2, "wait DURATION (2.5, 2.5s, 500ms, 3m, 1h)");
    return command::Wait{line.duration(1, "duration")};
  }
  if (name == "at") {
    line.expectArguments(1, 2, "at TIME (device seconds since boot; units as for wait)");
    return command::At{line.duration(1, "time", false)};
  }
  if (name == "press") {
    if (line.size() < 2) line.fail("usage: press lock | press home [twice] [gap DURATION] [for DURATION]");
    if (line.word(1) == "lock") {
      line.expectArguments(1, "press lock");
      return command::PressLock{};
    }
    if (line.word(1) != "home") line.fail("unknown button " + quote(line.word(1)) + " (lock or home)");
  }
  if (name == "press" || name == "hold" || name == "tap-hold") return parseHomeGesture(line);
  if (name == "finger") {
    line.expectArguments(1, "finger EVENT (lifted, resting, scanning, matched, not-matched, or a number)");
    if (auto event = fingerEventNamed(line.word(1))) return command::Finger{*event};
    if (auto number = parseInteger(line.word(1)); number && !line[1].quoted) return command::Finger{*number};
    line.fail("unknown fingerprint event " + quote(line.word(1)) + " (lifted, resting, scanning, matched, not-matched, or a number)");
  }
  if (name == "reachability") {
    line.expectArguments(0, "reachability");
    return command::Reachability{};
  }
  if (name == "rebuild-home-gestures") {
    line.expectArguments(0, "rebuild-home-gestures");
    return command::RebuildHomeGestures{};
  }
  if (name == "older-gesture-manager") {
    line.expectArguments(0, "older-gesture-manager");
    return command::OlderGestureManager{};
  }
  if (name == "home-button-wakes") {
    line.expectArguments(1, "home-button-wakes on|off");
    return command::HomeButtonWakes{line.onOff(1)};
  }
  if (name == "unlock") {
    line.expectArguments(0, "unlock");
    return command::Unlock{};
  }
  if (name == "low-power" || name == "charging" || name == "call") {
    line.expectArguments(1, name + " on|off");
    const auto what = name == "low-power" ? command::Switch::LowPowerMode
                      : name == "charging" ? command::Switch::Charging
                                           : command::Switch::Call;
    return command::Switch{what, line.onOff(1)};
  }
  if (name == "pose") {
    line.expectArguments(1, 3, "pose NAME | pose X Y Z");
    return command::Pose{line.gravity(1, line.size())};
  }
  if (name == "move" || name == "lift") {
    const bool lift = name == "lift";
    if (lift) {
      line.expectArguments(0, 2, "lift [over DURATION]");
      if (line.size() == 1) return command::Move{*sim::poseNamed("raised"), 0.5};
    } else {
      line.expectArguments(3, 6, "move NAME|X Y Z over DURATION");
    }
    std::size_t over = 1;
    while (over < line.size() && line.word(over) != "over") ++over;
    if (over == line.size() || over + 1 == line.size()) line.fail(line.usage());
    const hardware::Vector3 to = lift ? *sim::poseNamed("raised") : line.gravity(1, over);
    if (lift && over != 1) line.fail(line.usage());
    return command::Move{to, line.duration(over + 1, "duration")};
  }
  if (name == "shake") {
    line.expectArguments(3, 4, "shake G for DURATION");
    if (line.word(2) != "for") line.fail(line.usage());
    const double g = line.number(1, "strength");
    if (g < 0) line.fail("strength cannot be negative");
    return command::Shake{g, line.duration(3, "duration")};
  }
  if (name == "replay") {
    line.expectArguments(1, "replay FILE");
    const std::filesystem::path file = directory / line.word(1);
    try {
      return command::Replay{file, recordings::scanRecording(file)};
    } catch (const recordings::RecordingError& error) {
      line.fail(std::string("bad recording: ") + error.what());
    }
  }
  if (name == "post") {
    line.expectArguments(1, "post NAME");
    return command::Post{line.word(1)};
  }
  if (name == "style") {
    line.expectArguments(2, "style KEY VALUE");
    return command::Style{line.word(1), line.value(2)};
  }
  if (name == "unstyle") {
    line.expectArguments(1, "unstyle KEY");
    return command::Style{line.word(1), std::nullopt};
  }
  if (name == "seed") {
    line.expectArguments(1, "seed N (a whole number: arc4random's sequence)");
    auto seed = parseInteger(line.word(1));
    if (!seed || *seed < 0 || line[1].quoted) line.fail("bad seed " + quote(line.word(1)) + ": expected a whole number");
    return command::Seed{static_cast<std::uint64_t>(*seed)};
  }
  if (name == "screen") {
    line.expectArguments(1, "screen 4.7|5.5");
    if (line.word(1) != "4.7" && line.word(1) != "5.5") line.fail("unknown screen " + quote(line.word(1)) + " (4.7 or 5.5)");
    return command::ScreenSize{line.word(1) == "5.5"};
  }
  if (name == "open" || name == "close") {
    line.expectArguments(1, name + " control-center");
    if (line.word(1) != "control-center") line.fail("unknown thing to " + name + " " + quote(line.word(1)) + " (control-center)");
    return command::ControlCenter{name == "open"};
  }
  if (name == "tap") {
    line.expectArguments(2, "tap toggle NAME");
    if (line.word(1) != "toggle") line.fail(line.usage());
    return command::TapToggle{toggle(line, 2)};
  }
  if (name == "snapshot") {
    line.expectArguments(1, 3, "snapshot FILE.png | snapshot home-screen FILE.png | snapshot toggle NAME FILE.png");
    if (line.size() == 2) return command::Snapshot{std::nullopt, pictureFile(line, 1, directory)};
    if (line.size() == 3 && line.word(1) == "home-screen") return command::Snapshot{std::nullopt, pictureFile(line, 2, directory), true};
    if (line.size() != 4 || line.word(1) != "toggle") line.fail(line.usage());
    return command::Snapshot{toggle(line, 2), pictureFile(line, 3, directory)};
  }
  if (name == "progress-image") {
    line.expectArguments(0, 1, "progress-image [FILE.png]");
    const std::filesystem::path file = line.size() == 1 ? std::filesystem::path(TESSARO_PROGRESS_IMAGE) : directory / line.word(1);
    std::error_code error;
    if (!std::filesystem::is_regular_file(file, error)) line.fail("no image file " + quote(file.string()));
    return command::ProgressImage{file};
  }
  if (name == "no-root-folder-view") {
    line.expectArguments(0, "no-root-folder-view");
    return command::NoRootFolderView{};
  }
  if (name == "expect") return parseExpect(line);
  line.fail("unknown command " + quote(name));
}

enum class Timing { BeforeBoot, Any, NeedsDevice };

Timing timingOf(const Command& command) {
  if (std::holds_alternative<command::Set>(command) || std::holds_alternative<command::Style>(command) ||
      std::holds_alternative<command::HomeButtonWakes>(command) || std::holds_alternative<command::Strict>(command) ||
      std::holds_alternative<command::PlotFile>(command)) {
    return Timing::Any;
  }
  if (std::holds_alternative<command::Without>(command) || std::holds_alternative<command::NoMotionSensor>(command) ||
      std::holds_alternative<command::IdleSleep>(command) || std::holds_alternative<command::Realtime>(command) ||
      std::holds_alternative<command::OlderGestureManager>(command) || std::holds_alternative<command::Boot>(command) ||
      std::holds_alternative<command::Seed>(command) || std::holds_alternative<command::ScreenSize>(command) ||
      std::holds_alternative<command::ProgressImage>(command) || std::holds_alternative<command::NoRootFolderView>(command)) {
    return Timing::BeforeBoot;
  }
  return Timing::NeedsDevice;
}

std::string joined(const Line& line) {
  std::string text;
  for (std::size_t i = 0; i < line.size(); ++i) {
    if (i > 0) text += ' ';
    text += line[i].quoted ? quote(line.word(i)) : line.word(i);
  }
  return text;
}

}  // namespace

std::optional<plist::Value> parseValue(std::string_view text, bool quoted, std::string& problem) {
  if (quoted) return plist::Value(std::string(text));
  const std::string lower = lowercase(text);
  if (lower == "yes" || lower == "true") return plist::Value(true);
  if (lower == "no" || lower == "false") return plist::Value(false);
  if (auto integer = parseInteger(text)) return plist::Value(*integer);
  if (auto real = parseNumber(text)) return plist::Value(*real);
  problem = "bad value " + quote(std::string(text)) + ": expected true/false/YES/NO, a number, or a quoted string";
  return std::nullopt;
}

std::optional<plist::Value> parseValueWord(std::string_view word, std::string& problem) {
  const bool quoted = word.size() >= 2 && word.front() == '"' && word.back() == '"';
  return parseValue(quoted ? word.substr(1, word.size() - 2) : word, quoted, problem);
}

std::string describeSettings(const plist::Dictionary& settings) {
  std::string text;
  for (const auto& [key, value] : settings) text += (text.empty() ? "" : ", ") + key + " " + describeValue(value);
  return text.empty() ? "(empty)" : text;
}

nlohmann::ordered_json describedSettings(const plist::Dictionary& settings) {
  nlohmann::ordered_json json = nlohmann::ordered_json::object();
  for (const auto& [key, value] : settings) json[key] = describeValue(value);
  return json;
}

std::string describeValue(const plist::Value& value) {
  switch (value.kind()) {
    case plist::Kind::Boolean: return *value.asBoolean() ? "YES" : "NO";
    case plist::Kind::Integer: return std::to_string(*value.asInteger());
    case plist::Kind::Real: return nlohmann::json(*value.asReal()).dump();
    case plist::Kind::String: return quote(*value.asString());
    case plist::Kind::Data: return "<data>";
    case plist::Kind::Date: return "<date>";
    case plist::Kind::Array: return "<array>";
    case plist::Kind::Dictionary: return "<dictionary>";
  }
  return "?";
}

std::optional<long long> fingerEventNamed(std::string_view name) {
  static const std::map<std::string, long long, std::less<>> events = {
      {"lifted", 0}, {"resting", 1}, {"scanning", 2}, {"matched", 4}, {"not-matched", 9}};
  const auto found = events.find(name);
  if (found == events.end()) return std::nullopt;
  return found->second;
}

std::string describe(const command::ExpectCount& expectation) {
  static const char* const ops[] = {"==", "!=", ">=", "<=", ">", "<"};
  std::string text = "count " + expectation.kind;
  if (expectation.text) text += " " + quote(*expectation.text);
  return text + " " + ops[expectation.op] + " " + std::to_string(expectation.n);
}

Scenario parseScenario(std::string_view text, const std::string& name, const std::filesystem::path& directory,
                       bool strict) {
  Scenario scenario;
  scenario.name = name;
  scenario.strict = strict;
  checkUtf8(text, name);
  std::vector<std::pair<std::size_t, std::string>> settingProblems;
  std::optional<std::size_t> bootLine;
  bool bootImplicit = false;
  double clock = 0;  // device time at each line: only waits and `at` move it

  std::size_t number = 0;
  while (!text.empty()) {
    ++number;
    const auto newline = text.find('\n');
    const std::string_view raw = text.substr(0, newline);
    text.remove_prefix(newline == std::string_view::npos ? text.size() : newline + 1);

    std::string problem;
    std::vector<Token> tokens = tokenize(raw, problem);
    Line line(scenario.name, number, std::move(tokens));
    if (!problem.empty()) line.fail(problem);
    if (line.size() == 0) continue;

    Command command = parseCommand(line, directory);
    const Timing timing = timingOf(command);
    if (timing == Timing::BeforeBoot && bootLine) {
      const std::string why = bootImplicit ? " needs the device and boots it" : " boots it";
      if (std::holds_alternative<command::Boot>(command)) {
        line.fail("the device has already booted: line " + std::to_string(*bootLine) + why);
      }
      line.fail(quote(line.word(0)) + " must come before the device boots; line " + std::to_string(*bootLine) + why);
    }
    if (timing == Timing::NeedsDevice && !bootLine) {
      bootLine = number;
      bootImplicit = true;
      scenario.steps.push_back({number, "boot", command::Boot{true}});
    }
    if (auto* boot = std::get_if<command::Boot>(&command)) {
      bootLine = number;
      bootImplicit = boot->implicit;
    }
    if (std::holds_alternative<command::Strict>(command)) scenario.strict = true;
    if (const auto* set = std::get_if<command::Set>(&command)) {
      auto problem = set->value ? checkSetting(set->key, *set->value) : checkSettingKey(set->key);
      if (problem) settingProblems.emplace_back(number, *problem);
    }
    if (const auto* count = std::get_if<command::ExpectCount>(&command); count && count->text) {
      scenario.countedTexts.emplace_back(count->kind, *count->text);
    }
    if (auto* wait = std::get_if<command::Wait>(&command)) clock += wait->seconds;
    if (auto* gesture = std::get_if<command::HomeGesture>(&command)) clock += gesture->seconds();
    if (auto* at = std::get_if<command::At>(&command)) {
      if (at->time < clock) {
        line.fail("at " + nlohmann::json(at->time).dump() + " s lies in the past: the device is at " +
                  nlohmann::json(clock).dump() + " s here");
      }
      if (at->time - clock > kMaxLineSeconds) {
        line.fail("at " + nlohmann::json(at->time).dump() + " s lies more than a day (" +
                  nlohmann::json(kMaxLineSeconds).dump() + " s) ahead of " + nlohmann::json(clock).dump() +
                  " s; get there over several lines");
      }
      clock = at->time;
    }
    scenario.steps.push_back({number, joined(line), std::move(command)});
  }
  if (!bootLine) scenario.steps.push_back({number, "boot", command::Boot{true}});
  for (const auto& [line, problem] : settingProblems) {
    const std::string where = scenario.name + ":" + std::to_string(line) + ": ";
    if (scenario.strict) throw ScenarioError(where + problem + " (strict)");
    scenario.warnings.push_back(where + "warning: " + problem);
  }
  return scenario;
}

bool isCountableKind(std::string_view kind) { return core::isEventKind(kind); }

std::string closestKind(std::string_view kind) {
  std::string best;
  int bestDistance = 0;
  for (std::string_view known : core::kEventKinds) {
    const int d = editDistance(kind, known);
    if (best.empty() || d < bestDistance) {
      best = known;
      bestDistance = d;
    }
  }
  return best;
}

std::string readScenarioFile(const std::filesystem::path& path) {
  const auto fail = [&](const std::string& why) -> ScenarioError { return ScenarioError(path.string() + ": " + why); };
  // Non-blocking, so that a FIFO with no writer is refused instead of waited on.
  const int fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
  if (fd < 0) throw fail(std::string("cannot read the scenario: ") + std::strerror(errno));
  struct stat info {};
  std::string text;
  try {
    if (::fstat(fd, &info) != 0) throw fail(std::string("cannot read the scenario: ") + std::strerror(errno));
    if (S_ISDIR(info.st_mode)) throw fail("is a directory, not a scenario");
    if (!S_ISREG(info.st_mode)) throw fail("not a regular file; a scenario is read from a file");
    if (static_cast<std::uint64_t>(info.st_size) > kMaxScenarioBytes) {
      throw fail("larger than " + std::to_string(kMaxScenarioBytes) + " bytes: not read");
    }
    text.resize(static_cast<std::size_t>(info.st_size));
    std::size_t done = 0;
    while (done < text.size()) {
      const ssize_t n = ::read(fd, text.data() + done, text.size() - done);
      if (n < 0 && errno == EINTR) continue;
      if (n < 0) throw fail(std::string("cannot read the scenario: ") + std::strerror(errno));
      if (n == 0) break;
      done += static_cast<std::size_t>(n);
    }
    text.resize(done);
  } catch (...) {
    ::close(fd);
    throw;
  }
  ::close(fd);
  return text;
}

}  // namespace sim
