// The check on an XML document before libplist parses it: its shape (see InputLimits.h),
// and the texts libplist would read otherwise than other readers do. A write-back stores
// what libplist read, so such a text would reach every other reader changed.

#include "platform/plist/InputLimits.h"

#include <algorithm>
#include <cstdint>
#include <vector>

namespace plist::detail {

namespace {

constexpr auto npos = std::string_view::npos;

bool isSpace(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; }
bool isDigit(char c) { return c >= '0' && c <= '9'; }

std::string_view trimmed(std::string_view text) {
  while (!text.empty() && isSpace(text.front())) text.remove_prefix(1);
  while (!text.empty() && isSpace(text.back())) text.remove_suffix(1);
  return text;
}

bool sameLetters(std::string_view a, std::string_view b) {
  const auto lower = [](char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; };
  return std::equal(a.begin(), a.end(), b.begin(), b.end(), [&](char x, char y) { return lower(x) == lower(y); });
}

// libplist reads every document as UTF-8: one declared ISO-8859-1 would read as other
// text. A declaration may name UTF-8 only (in any case), or no encoding.
bool declaresUtf8(std::string_view declaration) {
  const std::size_t at = declaration.find("encoding");
  if (at == npos) return true;
  std::string_view rest = declaration.substr(at + 8);
  const auto skipSpace = [&] {
    while (!rest.empty() && isSpace(rest.front())) rest.remove_prefix(1);
  };
  skipSpace();
  if (!rest.starts_with('=')) return false;
  rest.remove_prefix(1);
  skipSpace();
  if (rest.empty() || (rest.front() != '"' && rest.front() != '\'')) return false;
  const std::size_t close = rest.find(rest.front(), 1);
  return close != npos && sameLetters(rest.substr(1, close - 1), "UTF-8");
}

// libplist reads an integer with strtoull in base 0 and negates it after: "010" is 8, "0x10"
// 16, and below INT64_MIN it wraps (-2^64 is 1). Other readers read decimal or refuse. So
// only a plain decimal within 64 bits, with an optional sign, is let through.
bool plainInteger(std::string_view text) {
  text = trimmed(text);
  bool negative = false;
  if (!text.empty() && (text.front() == '-' || text.front() == '+')) {
    negative = text.front() == '-';
    text.remove_prefix(1);
  }
  // 19 digits cannot overflow the sum below; the bounds have 19.
  if (text.empty() || text.size() > 19 || (text.front() == '0' && text.size() > 1)) return false;
  std::uint64_t magnitude = 0;
  for (const char c : text) {
    if (!isDigit(c)) return false;
    magnitude = magnitude * 10 + static_cast<std::uint64_t>(c - '0');
  }
  constexpr std::uint64_t kLargest = std::uint64_t{1} << 63;  // the magnitude of INT64_MIN
  return negative ? magnitude <= kLargest : magnitude < kLargest;
}

// libplist reads a date with strptime, which takes a year of any length, one-digit fields
// and a 61st second, and stops where it fails keeping what it read ("2020Z" is 1970). Other
// readers want the full form with four-digit years. Only that form, every field in range,
// is let through.
bool plainDate(std::string_view text) {
  text = trimmed(text);
  constexpr std::string_view kForm = "dddd-dd-ddTdd:dd:ddZ";
  if (text.size() != kForm.size()) return false;
  for (std::size_t k = 0; k < kForm.size(); ++k) {
    if (kForm[k] == 'd' ? !isDigit(text[k]) : text[k] != kForm[k]) return false;
  }
  const auto field = [&](std::size_t at, std::size_t digits) {
    int value = 0;
    for (std::size_t k = at; k < at + digits; ++k) value = value * 10 + (text[k] - '0');
    return value;
  };
  const int year = field(0, 4), month = field(5, 2), day = field(8, 2);
  if (year < 1 || month < 1 || month > 12 || day < 1) return false;
  const bool leap = (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
  constexpr int kDays[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
  if (day > kDays[month - 1] + (month == 2 && leap ? 1 : 0)) return false;
  return field(11, 2) <= 23 && field(14, 2) <= 59 && field(17, 2) <= 59;
}

// Text of a string or a key. XML readers turn a carriage return written as itself into a
// line feed (CR LF into one), while libplist and the device keep it: no reading of such a
// text is everyone's. One written as "&#13;" reads the same everywhere.
bool holdsText(std::string_view element) { return element == "string" || element == "key"; }

bool isContainer(std::string_view element) { return element == "array" || element == "dict" || element == "plist"; }

// What an element holds, checked when it closes: libplist reads these two otherwise than
// other readers unless they are plain.
bool plainContent(std::string_view element, std::string_view content) {
  if (element == "integer") return plainInteger(content);
  if (element == "date") return plainDate(content);
  return true;
}

}  // namespace

bool xmlWithinLimits(std::string_view xml, const Limits& limits) {
  // libplist reads a NUL in a string's text into the string, which then aborts it.
  if (xml.find('\0') != npos) return false;
  if (xml.size() > limits.weight) return false;
  struct Open {
    std::string_view name;
    std::size_t contentFrom;
  };
  std::vector<Open> open;
  int containers = 0;
  std::uint64_t elements = 0;
  std::size_t i = 0;
  const auto skipPast = [&](std::size_t from, std::string_view terminator) {
    const std::size_t found = xml.find(terminator, from);
    if (found == npos) return false;
    i = found + terminator.size();
    return true;
  };
  const auto inText = [&] { return !open.empty() && holdsText(open.back().name); };
  std::size_t textFrom = 0;
  while ((i = xml.find('<', i)) != npos) {
    if (inText() && xml.substr(textFrom, i - textFrom).find('\r') != npos) return false;
    const std::string_view rest = xml.substr(i);
    bool skipped = true;
    if (rest.starts_with("<!--")) {
      skipped = skipPast(i + 4, "-->");
    } else if (rest.starts_with("<![CDATA[")) {
      const std::size_t from = i + 9;
      skipped = skipPast(from, "]]>");
      if (skipped && inText() && xml.substr(from, i - from).find('\r') != npos) return false;
    } else if (rest.starts_with("<?")) {
      const std::size_t from = i;
      skipped = skipPast(i + 2, "?>");
      const std::string_view instruction = xml.substr(from, i - from);
      if (skipped && instruction.size() > 5 && instruction.starts_with("<?xml") && isSpace(instruction[5]) &&
          !declaresUtf8(instruction)) {
        return false;
      }
    } else if (rest.starts_with("<!")) {
      // Stopping at the first '>' skips as little as possible, so nothing libplist reads as
      // an element can hide inside a declaration.
      skipped = skipPast(i + 2, ">");
    } else {
      const std::size_t end = xml.find('>', i);
      if (end == npos) return false;
      std::string_view tag = xml.substr(i + 1, end - i - 1);
      // The tag ends at its first '>'. A parser that honours quotes agrees only if no quote
      // is left open there; and a '<' inside means the markup is not what it seems.
      char quote = 0;
      for (const char c : tag) {
        if (c == '<') return false;
        if (quote == 0 && (c == '"' || c == '\'')) {
          quote = c;
        } else if (c == quote) {
          quote = 0;
        }
      }
      if (quote != 0) return false;
      const bool closing = tag.starts_with('/');
      const bool selfClosing = !closing && tag.ends_with('/');
      if (closing) tag.remove_prefix(1);
      const std::string_view name = tag.substr(0, tag.find_first_of(" \t\r\n/"));
      if (name.empty()) return false;
      if (closing) {
        if (open.empty() || open.back().name != name) return false;
        if (!plainContent(name, xml.substr(open.back().contentFrom, i - open.back().contentFrom))) return false;
        if (isContainer(name)) --containers;
        open.pop_back();
      } else {
        // Only containers hold elements; so nesting counts containers alone, as in binary.
        if (!open.empty() && !isContainer(open.back().name)) return false;
        if (++elements > limits.objects) return false;
        if (selfClosing) {
          if (!plainContent(name, "")) return false;
        } else {
          if (isContainer(name) && ++containers > limits.depth) return false;
          open.push_back({name, end + 1});
        }
      }
      i = end + 1;
    }
    if (!skipped) return false;
    textFrom = i;
  }
  return elements <= (limits.weight - xml.size()) / kNodeCost;
}

}  // namespace plist::detail
