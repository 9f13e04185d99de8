#include "tools/tessaro-sim/commands/Line.h"

#include "tools/tessaro-sim/MotionVocabulary.h"
#include "tools/tessaro-sim/Scenario.h"
#include "tools/tessaro-sim/SettingsKeys.h"
#include "tools/tessaro-sim/Words.h"

#include <nlohmann/json.hpp>

#include <cctype>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <functional>
#include <limits>
#include <map>

namespace sim {

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
    // A property-list value in XML runs to the end of the line, blanks, quotes and '#'
    // included: "<string>a #b</string>".
    if (line[i] == '<' && i + 1 < line.size() && std::isalpha(static_cast<unsigned char>(line[i + 1]))) {
      std::string_view rest = line.substr(i);
      while (!rest.empty() && blank(rest.back())) rest.remove_suffix(1);
      token.text = rest;
      tokens.push_back(std::move(token));
      break;
    }
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
void checkUtf8(std::string_view text, const std::string& name, std::size_t firstLine) {
  std::size_t line = firstLine, column = 1;
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

void Line::fail(const std::string& message) const {
  throw ScenarioError(file_ + ":" + std::to_string(number_) + ": " + message);
}

double Line::number(std::size_t i, const char* what) const {
  auto value = parseNumber(word(i));
  if (!value || tokens_[i].quoted) fail("bad " + std::string(what) + " " + quote(word(i)) + ": expected a number");
  return *value;
}

double Line::component(std::size_t i, const char* what) const {
  if (!tokens_[i].quoted && lowercase(word(i)) == "nan") return std::numeric_limits<double>::quiet_NaN();
  auto value = parseNumber(word(i));
  if (!value || tokens_[i].quoted) fail("bad " + std::string(what) + " " + quote(word(i)) + ": expected a number or nan");
  return *value;
}

hardware::Vector3 Line::vector(std::size_t from) const {
  return {component(from, "x"), component(from + 1, "y"), component(from + 2, "z")};
}

double Line::duration(std::size_t from, const char* what, bool bounded) const {
  if (from >= size() || size() - from > 2) fail(usage());
  if (size() - from == 2) return seconds(word(from), word(from + 1), from, what, bounded);
  return durationWord(from, what, bounded);
}

double Line::durationWord(std::size_t i, const char* what, bool bounded) const {
  std::string text = word(i);
  std::string unit;
  const auto split = text.find_first_not_of("0123456789.+-eE");
  if (split != std::string::npos && split > 0) {
    unit = text.substr(split);
    text.resize(split);
  }
  return seconds(text, unit, i, what, bounded);
}

bool Line::onOff(std::size_t i) const {
  const std::string value = lowercase(word(i));
  if (value == "on" || value == "yes" || value == "true") return true;
  if (value == "off" || value == "no" || value == "false") return false;
  fail("expected on or off, got " + quote(word(i)));
}

hardware::Vector3 Line::gravity(std::size_t from, std::size_t end) const {
  if (end - from == 1) {
    if (auto pose = sim::poseNamed(word(from))) return *pose;
    fail("unknown pose " + quote(word(from)) + " (face-up, face-down, raised, upright, landscape, or x y z)");
  }
  if (end - from != 3) fail(usage());
  const hardware::Vector3 v = vector(from);
  if (v.x == 0 && v.y == 0 && v.z == 0) fail("gravity cannot be zero");
  return v;
}

plist::Value Line::value(std::size_t i) const {
  std::string problem;
  auto value = parseValue(word(i), tokens_[i].quoted, problem);
  if (!value) fail(problem);
  return *value;
}

double Line::seconds(const std::string& number, const std::string& unit, std::size_t i, const char* what,
                     bool bounded) const {
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

std::string joined(const std::vector<Token>& tokens) {
  std::string text;
  for (std::size_t i = 0; i < tokens.size(); ++i) {
    if (i > 0) text += ' ';
    text += tokens[i].quoted ? quote(tokens[i].text) : tokens[i].text;
  }
  return text;
}

}  // namespace sim
