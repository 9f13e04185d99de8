#include "platform/plist/Numbers.h"

#include <charconv>
#include <cmath>
#include <cstddef>
#include <limits>
#include <system_error>

namespace plist::numbers {

namespace {

template <typename I>
I truncateReal(double value) noexcept {
  if (std::isnan(value)) return 0;
  // Both bounds are powers of two, so exact as doubles.
  constexpr double low = static_cast<double>(std::numeric_limits<I>::min());
  constexpr double high = -low;
  if (value <= low) return std::numeric_limits<I>::min();
  if (value >= high) return std::numeric_limits<I>::max();
  return static_cast<I>(value);
}

bool isSpace(char c) noexcept {
  return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r';
}

bool isDigit(char c) noexcept { return c >= '0' && c <= '9'; }

std::size_t skipSpace(std::string_view text) noexcept {
  std::size_t i = 0;
  while (i < text.size() && isSpace(text[i])) ++i;
  return i;
}

template <typename I>
I scanInteger(std::string_view text) noexcept {
  std::size_t i = skipSpace(text);
  bool negative = false;
  if (i < text.size() && (text[i] == '+' || text[i] == '-')) {
    negative = text[i] == '-';
    ++i;
  }
  // The magnitude of the minimum is one more than the maximum.
  const std::uint64_t limit = static_cast<std::uint64_t>(std::numeric_limits<I>::max()) + (negative ? 1 : 0);
  std::uint64_t magnitude = 0;
  for (; i < text.size() && isDigit(text[i]); ++i) {
    const auto digit = static_cast<std::uint64_t>(text[i] - '0');
    magnitude = magnitude > (limit - digit) / 10 ? limit : magnitude * 10 + digit;
  }
  if (!negative) return static_cast<I>(magnitude);
  if (magnitude == limit) return std::numeric_limits<I>::min();
  return static_cast<I>(-static_cast<I>(magnitude));
}

template <typename F>
F scanReal(std::string_view text) noexcept {
  std::size_t i = skipSpace(text);
  bool negative = false;
  if (i < text.size() && (text[i] == '+' || text[i] == '-')) {
    negative = text[i] == '-';
    ++i;
  }
  const std::size_t start = i;
  // Where the first significant digit sits relative to the decimal point, to tell an
  // overflow from an underflow when the exact value is out of range.
  std::int64_t magnitude = 0;
  bool significant = false;
  std::size_t digits = 0;
  for (; i < text.size() && isDigit(text[i]); ++i, ++digits) {
    significant = significant || text[i] != '0';
    if (significant) ++magnitude;
  }
  if (i < text.size() && text[i] == '.') {
    for (++i; i < text.size() && isDigit(text[i]); ++i, ++digits) {
      if (significant) continue;
      significant = text[i] != '0';
      if (!significant) --magnitude;
    }
  }
  if (digits == 0) return 0;
  if (i < text.size() && (text[i] == 'e' || text[i] == 'E')) {
    std::size_t j = i + 1;
    bool negativeExponent = false;
    if (j < text.size() && (text[j] == '+' || text[j] == '-')) {
      negativeExponent = text[j] == '-';
      ++j;
    }
    if (j < text.size() && isDigit(text[j])) {
      std::int64_t exponent = 0;
      for (; j < text.size() && isDigit(text[j]); ++j) {
        if (exponent < 100'000'000) exponent = exponent * 10 + (text[j] - '0');
      }
      magnitude += negativeExponent ? -exponent : exponent;
      i = j;
    }
  }
  F value = 0;
  const auto result = std::from_chars(text.data() + start, text.data() + i, value, std::chars_format::general);
  if (result.ec == std::errc::result_out_of_range) {
    value = magnitude > 0 ? std::numeric_limits<F>::infinity() : F{0};
  } else if (result.ec != std::errc{}) {
    value = 0;
  }
  return negative ? -value : value;
}

}  // namespace

std::int32_t realToInt32(double value) noexcept { return truncateReal<std::int32_t>(value); }

std::int64_t realToInt64(double value) noexcept { return truncateReal<std::int64_t>(value); }

float realToFloat(double value) noexcept {
  // A double beyond float's range is undefined behaviour to convert, so round by hand: up to
  // halfway to the next power of two it rounds down to FLT_MAX, from there on to infinity.
  constexpr double largest = std::numeric_limits<float>::max();
  const double overflow = std::ldexp(1.0, 128) - std::ldexp(1.0, 103);
  const double size = std::fabs(value);
  if (std::isfinite(value) && size > largest) {
    const float result = size >= overflow ? std::numeric_limits<float>::infinity() : std::numeric_limits<float>::max();
    return std::signbit(value) ? -result : result;
  }
  return static_cast<float>(value);
}

std::int32_t stringIntValue(std::string_view text) noexcept { return scanInteger<std::int32_t>(text); }

std::int64_t stringIntegerValue(std::string_view text) noexcept { return scanInteger<std::int64_t>(text); }

double stringDoubleValue(std::string_view text) noexcept { return scanReal<double>(text); }

float stringFloatValue(std::string_view text) noexcept { return scanReal<float>(text); }

bool stringBoolValue(std::string_view text) noexcept {
  std::size_t i = skipSpace(text);
  while (i < text.size() && (text[i] == '+' || text[i] == '-' || text[i] == '0')) ++i;
  if (i == text.size()) return false;
  const char c = text[i];
  return c == 'Y' || c == 'y' || c == 'T' || c == 't' || (c >= '1' && c <= '9');
}

}  // namespace plist::numbers
