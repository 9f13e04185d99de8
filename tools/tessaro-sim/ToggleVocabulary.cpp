#include "tools/tessaro-sim/ToggleVocabulary.h"

#include "platform/controlcenter/ControlCenter.h"

#include <algorithm>
#include <cctype>
#include <charconv>
#include <cmath>
#include <cstdio>

namespace sim {

namespace {

std::vector<std::string> knownToggles() {
  std::vector<std::string> identifiers = controlcenter::hostToggles();
  identifiers.push_back(kTessaroToggle);
  return identifiers;
}

std::optional<int> hexDigit(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return std::nullopt;
}

}  // namespace

std::string shortName(const std::string& identifier) {
  std::string last = identifier.substr(identifier.rfind('.') + 1);
  std::string lower;
  for (char c : last) lower += static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  if (lower.size() > 6 && lower.ends_with("module")) last.resize(last.size() - 6);
  std::string name;
  for (std::size_t i = 0; i < last.size(); ++i) {
    const auto c = static_cast<unsigned char>(last[i]);
    if (std::isupper(c) && i > 0) name += '-';
    name += static_cast<char>(std::tolower(c));
  }
  return name;
}

std::optional<std::string> toggleNamed(const std::string& name) {
  for (const std::string& identifier : knownToggles()) {
    if (name == identifier || name == shortName(identifier)) return identifier;
  }
  return std::nullopt;
}

std::vector<std::string> toggleNames() {
  std::vector<std::string> names;
  for (const std::string& identifier : knownToggles()) names.push_back(shortName(identifier));
  return names;
}

std::optional<quartzcore::Color> colorNamed(const std::string& given) {
  if (given == "clear") return quartzcore::Color{};
  std::string_view text = given;
  if (!text.empty() && text.front() == '#') text.remove_prefix(1);
  double alpha = 1;
  if (const auto colon = text.find(':'); colon != std::string_view::npos) {
    const std::string_view part = text.substr(colon + 1);
    const auto [end, error] = std::from_chars(part.data(), part.data() + part.size(), alpha);
    if (part.empty() || error != std::errc() || end != part.data() + part.size() || !(alpha >= 0 && alpha <= 1)) {
      return std::nullopt;
    }
    text = text.substr(0, colon);
  }
  if (text.size() != 6) return std::nullopt;
  double channel[3];
  for (int i = 0; i < 3; ++i) {
    auto high = hexDigit(text[2 * i]), low = hexDigit(text[2 * i + 1]);
    if (!high || !low) return std::nullopt;
    channel[i] = (*high * 16 + *low) / 255.0;
  }
  return quartzcore::Color{channel[0], channel[1], channel[2], alpha};
}

std::string describeColor(const quartzcore::Color& c) {
  if (c.a < 0.5 / 255) return "clear";
  auto byte = [](double v) { return static_cast<int>(std::lround(std::clamp(v, 0.0, 1.0) * 255)); };
  char text[32];
  if (std::fabs(c.a - 1) < 0.0005) {
    std::snprintf(text, sizeof text, "#%02X%02X%02X", byte(c.r), byte(c.g), byte(c.b));
  } else {
    std::snprintf(text, sizeof text, "#%02X%02X%02X:%.3f", byte(c.r), byte(c.g), byte(c.b), c.a);
  }
  return text;
}

bool sameColor(const quartzcore::Color& a, const quartzcore::Color& b) {
  const double step = 1.0 / 255;
  return std::fabs(a.r * a.a - b.r * b.a) <= step && std::fabs(a.g * a.a - b.g * b.a) <= step &&
         std::fabs(a.b * a.a - b.b * b.a) <= step && std::fabs(a.a - b.a) <= step;
}

}  // namespace sim
