#include "platform/libcolorpicker/libcolorpicker.h"

#include "platform/foundation/Foundation.h"
#include "platform/objc/Message.h"

#include <charconv>
#include <cmath>
#include <optional>
#include <string_view>

namespace {

using namespace objc::literals;

struct RGBA {
  double r, g, b, a;
};

std::optional<int> hexDigit(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return std::nullopt;
}

std::optional<RGBA> parse(std::string_view text) {
  if (!text.empty() && text.front() == '#') text.remove_prefix(1);
  double alpha = 1;
  if (const auto colon = text.find(':'); colon != std::string_view::npos) {
    const std::string_view given = text.substr(colon + 1);
    const auto [end, error] = std::from_chars(given.data(), given.data() + given.size(), alpha);
    if (given.empty() || error != std::errc() || end != given.data() + given.size() || !(alpha >= 0 && alpha <= 1)) {
      return std::nullopt;
    }
    text = text.substr(0, colon);
  }
  if (text.size() != 3 && text.size() != 6) return std::nullopt;
  int digits[6];
  for (std::size_t i = 0; i < text.size(); ++i) {
    auto digit = hexDigit(text[i]);
    if (!digit) return std::nullopt;
    digits[i] = *digit;
  }
  // "#RGB" doubles each digit: "#F80" is "#FF8800".
  auto channel = [&](int n) {
    const int value = text.size() == 3 ? digits[n] * 17 : digits[2 * n] * 16 + digits[2 * n + 1];
    return value / 255.0;
  };
  return RGBA{channel(0), channel(1), channel(2), alpha};
}

std::optional<RGBA> parseObject(id object) {
  auto text = foundation::stringOf(object);
  return text ? parse(*text) : std::nullopt;
}

}  // namespace

extern "C" id LCPParseColorString(id string, id fallback) {
  const RGBA c = parseObject(string).value_or(parseObject(fallback).value_or(RGBA{0, 0, 0, 1}));
  return objc::send<id(double, double, double, double)>(objc::getClass("UIColor"), "colorWithRed:green:blue:alpha:"_sel, c.r,
                                                        c.g, c.b, c.a);
}
