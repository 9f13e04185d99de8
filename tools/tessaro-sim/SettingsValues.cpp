// Settings values in words: read from a scenario line or an option, and written for a
// message or a timeline. Scalars as a scenario writes them (YES, 3, 0.5, "text"); dates,
// data, arrays and dictionaries in the property-list XML form of a single value, which
// reads back as it was written.

#include "tools/tessaro-sim/SettingsKeys.h"

#include "tools/tessaro-sim/Words.h"

#include <charconv>
#include <cmath>
#include <cstdio>
#include <ctime>
#include <regex>

namespace sim {

namespace {

constexpr std::string_view kXmlStart = "<?xml version=\"1.0\" encoding=\"UTF-8\"?><plist version=\"1.0\">";
constexpr std::string_view kXmlEnd = "</plist>";

// libplist reads any text of a <date> as some date: only ISO 8601 in UTC is one.
bool datesWellFormed(std::string_view text) {
  static const std::regex date(R"(<date>\s*\d{4}-\d{2}-\d{2}T\d{2}:\d{2}:\d{2}Z\s*</date>)");
  for (auto at = text.find("<date>"); at != std::string_view::npos; at = text.find("<date>", at + 1)) {
    const auto end = text.find("</date>", at);
    if (end == std::string_view::npos) return false;
    const std::string element(text.substr(at, end + 7 - at));
    if (!std::regex_match(element, date)) return false;
  }
  return true;
}

std::optional<plist::Value> parseXml(std::string_view text) {
  if (!datesWellFormed(text)) return std::nullopt;
  auto parse = [](const std::string& document) {
    return plist::parse(std::span(reinterpret_cast<const std::uint8_t*>(document.data()), document.size()));
  };
  auto value = parse(std::string(kXmlStart) + std::string(text) + std::string(kXmlEnd));
  // One value, not the first of several: in an array the text must make one element.
  auto wrapped = parse(std::string(kXmlStart) + "<array>" + std::string(text) + "</array>" + std::string(kXmlEnd));
  if (!value || !wrapped || !wrapped->isArray() || wrapped->asArray()->size() != 1) return std::nullopt;
  return value;
}

std::string escaped(std::string_view text) {
  std::string out;
  for (char c : text) {
    switch (c) {
      case '&': out += "&amp;"; break;
      case '<': out += "&lt;"; break;
      case '>': out += "&gt;"; break;
      default: out += c;
    }
  }
  return out;
}

std::string base64(const plist::Data& data) {
  static constexpr char kDigits[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
  std::string out;
  for (std::size_t i = 0; i < data.size(); i += 3) {
    const std::uint32_t n = (std::uint32_t{data[i]} << 16) | (i + 1 < data.size() ? std::uint32_t{data[i + 1]} << 8 : 0) |
                            (i + 2 < data.size() ? std::uint32_t{data[i + 2]} : 0);
    out += kDigits[(n >> 18) & 63];
    out += kDigits[(n >> 12) & 63];
    out += i + 1 < data.size() ? kDigits[(n >> 6) & 63] : '=';
    out += i + 2 < data.size() ? kDigits[n & 63] : '=';
  }
  return out;
}

// Seconds since 2001-01-01T00:00:00Z as ISO 8601; a fraction of a second, which XML cannot
// hold, is shown all the same.
std::string isoDate(double sinceReferenceDate) {
  if (!std::isfinite(sinceReferenceDate)) return std::to_string(sinceReferenceDate);
  constexpr double kReferenceUnixTime = 978307200.0;
  const double whole = std::floor(sinceReferenceDate);
  const std::time_t time = static_cast<std::time_t>(whole + kReferenceUnixTime);
  std::tm civil{};
  if (::gmtime_r(&time, &civil) == nullptr) return std::to_string(sinceReferenceDate);
  char text[64];
  std::strftime(text, sizeof text, "%Y-%m-%dT%H:%M:%S", &civil);
  std::string iso = text;
  if (const double fraction = sinceReferenceDate - whole; fraction > 0) {
    std::snprintf(text, sizeof text, "%.6f", fraction);
    iso += std::string(text + 1);  // ".250000"
    while (iso.back() == '0') iso.pop_back();
  }
  return iso + "Z";
}

std::string realText(double value) {
  if (std::isnan(value)) return "nan";
  if (std::isinf(value)) return value > 0 ? "+infinity" : "-infinity";
  char text[32];
  const auto end = std::to_chars(text, text + sizeof text, value).ptr;
  std::string out(text, end);
  // A real stays a real when read back: "3.0", not "3".
  if (out.find_first_of(".eE") == std::string::npos) out += ".0";
  return out;
}

std::string xmlOf(const plist::Value& value) {
  switch (value.kind()) {
    case plist::Kind::Boolean: return *value.asBoolean() ? "<true/>" : "<false/>";
    case plist::Kind::Integer: return "<integer>" + std::to_string(*value.asInteger()) + "</integer>";
    case plist::Kind::Real: return "<real>" + realText(*value.asReal()) + "</real>";
    case plist::Kind::String: return "<string>" + escaped(*value.asString()) + "</string>";
    case plist::Kind::Data: return "<data>" + base64(*value.asData()) + "</data>";
    case plist::Kind::Date: return "<date>" + isoDate(value.asDate()->sinceReferenceDate) + "</date>";
    case plist::Kind::Array: {
      if (value.asArray()->empty()) return "<array/>";
      std::string xml = "<array>";
      for (const plist::Value& element : *value.asArray()) xml += xmlOf(element);
      return xml + "</array>";
    }
    case plist::Kind::Dictionary: {
      if (value.asDictionary()->empty()) return "<dict/>";
      std::string xml = "<dict>";
      for (const auto& [key, element] : *value.asDictionary()) xml += "<key>" + escaped(key) + "</key>" + xmlOf(element);
      return xml + "</dict>";
    }
  }
  return "?";
}

}  // namespace

std::optional<plist::Value> parseValue(std::string_view text, bool quoted, std::string& problem) {
  if (quoted) return plist::Value(std::string(text));
  const std::string lower = lowercase(text);
  if (lower == "yes" || lower == "true") return plist::Value(true);
  if (lower == "no" || lower == "false") return plist::Value(false);
  if (auto integer = parseInteger(text)) return plist::Value(*integer);
  if (auto real = parseNumber(text)) return plist::Value(*real);
  if (text.starts_with('<')) {
    if (auto value = parseXml(text)) return value;
    problem = "bad value " + quote(std::string(text)) +
              ": not one property-list value in XML (<date>2001-01-01T00:00:00Z</date>, <data>AQI=</data>, "
              "<array>...</array>, <dict>...</dict>)";
    return std::nullopt;
  }
  problem = "bad value " + quote(std::string(text)) +
            ": expected true/false/YES/NO, a number, a quoted string, or a property-list value in XML";
  return std::nullopt;
}

std::optional<plist::Value> parseValueWord(std::string_view word, std::string& problem) {
  const bool quoted = word.size() >= 2 && word.front() == '"' && word.back() == '"';
  return parseValue(quoted ? word.substr(1, word.size() - 2) : word, quoted, problem);
}

std::optional<plist::Dictionary> dictionaryOf(std::string_view bytes) {
  auto value = plist::parse(std::span(reinterpret_cast<const std::uint8_t*>(bytes.data()), bytes.size()));
  if (!value || !value->isDictionary()) return std::nullopt;
  return std::move(*value->asDictionary());
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
    case plist::Kind::Real:
      return std::isfinite(*value.asReal()) ? nlohmann::json(*value.asReal()).dump() : xmlOf(value);
    case plist::Kind::String: return quote(*value.asString());
    default: return xmlOf(value);
  }
}

}  // namespace sim
