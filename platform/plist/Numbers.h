#pragma once
// The device's number conversions, as NSNumber and NSString do them. The tweak reads its
// settings through these, so a setting stored as a string or a real reads the way it would
// on a phone. None of them has undefined behaviour for any input.

#include <cstdint>
#include <string_view>

namespace plist::numbers {

// NSNumber holding a real: truncation toward zero; NaN gives 0 and values out of range
// saturate (what the device's float-to-integer conversion does).
std::int32_t realToInt32(double value) noexcept;
std::int64_t realToInt64(double value) noexcept;
// Rounds to nearest; beyond FLT_MAX gives infinity.
float realToFloat(double value) noexcept;

// NSString. Each skips leading ASCII white space (newlines included) and reads as much of a
// number as is there: "12abc" reads as 12, "abc" as 0.
//
// An optional sign then decimal digits, stopping at the first non-digit ("1.9" is 1);
// overflow saturates.
std::int32_t stringIntValue(std::string_view text) noexcept;
std::int64_t stringIntegerValue(std::string_view text) noexcept;
// An optional sign, digits with an optional '.' fraction, an optional exponent. "." is the
// decimal point whatever the locale; no hex, no "inf" or "nan". Overflow gives infinity,
// underflow zero.
double stringDoubleValue(std::string_view text) noexcept;
float stringFloatValue(std::string_view text) noexcept;
// Skips '+', '-' and '0' characters, then YES when the next one is Y, y, T, t or 1-9.
bool stringBoolValue(std::string_view text) noexcept;

}  // namespace plist::numbers
