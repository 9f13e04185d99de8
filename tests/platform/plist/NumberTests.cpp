#include "platform/plist/Numbers.h"
#include "platform/plist/PropertyList.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

using plist::Value;

namespace {

constexpr auto kIntMax = std::numeric_limits<std::int32_t>::max();
constexpr auto kIntMin = std::numeric_limits<std::int32_t>::min();
constexpr auto kLongMax = std::numeric_limits<std::int64_t>::max();
constexpr auto kLongMin = std::numeric_limits<std::int64_t>::min();
constexpr auto kInfinity = std::numeric_limits<double>::infinity();

TEST(NumberValue, RealsTruncateTowardZeroAndSaturate) {
  EXPECT_EQ(Value(1.9).intValue(), 1);
  EXPECT_EQ(Value(-1.9).intValue(), -1);
  EXPECT_EQ(Value(std::nan("")).intValue(), 0);
  EXPECT_EQ(Value(std::nan("")).integerValue(), 0);
  EXPECT_EQ(Value(1e20).intValue(), kIntMax);
  EXPECT_EQ(Value(-1e20).intValue(), kIntMin);
  EXPECT_EQ(Value(kInfinity).intValue(), kIntMax);
  EXPECT_EQ(Value(-2147483648.9).intValue(), kIntMin);
  EXPECT_EQ(Value(2147483647.9).intValue(), kIntMax);
  EXPECT_EQ(Value(3e9).integerValue(), 3'000'000'000);
  EXPECT_EQ(Value(9.3e18).integerValue(), kLongMax);
  EXPECT_EQ(Value(std::ldexp(1.0, 63)).integerValue(), kLongMax);
  EXPECT_EQ(Value(-std::ldexp(1.0, 63)).integerValue(), kLongMin);
  EXPECT_EQ(Value(-kInfinity).integerValue(), kLongMin);
}

TEST(NumberValue, IntegersTruncateLikeCastsAndAnyNonZeroIsYes) {
  EXPECT_EQ(Value(std::int64_t{0x1'0000'0005}).intValue(), 5);
  EXPECT_EQ(Value(std::int64_t{0x8000'0000}).intValue(), kIntMin);
  EXPECT_EQ(Value(-1).intValue(), -1);
  EXPECT_EQ(Value(true).doubleValue(), 1.0);
  // Any non-zero number is YES, a fraction or a value beyond 32 bits too.
  EXPECT_TRUE(Value(0.5).boolValue());
  EXPECT_TRUE(Value(std::int64_t{1} << 40).boolValue());
  EXPECT_FALSE(Value(-0.0).boolValue());
}

TEST(NumberValue, RealsNarrowToFloatWithoutOverflowing) {
  constexpr double kFloatMax = std::numeric_limits<float>::max();
  EXPECT_EQ(Value(0.1).floatValue(), 0.1f);
  EXPECT_EQ(Value(1e300).floatValue(), std::numeric_limits<float>::infinity());
  EXPECT_EQ(Value(kFloatMax).floatValue(), std::numeric_limits<float>::max());
  // Above FLT_MAX but nearer to it than to the next power of two: rounds down.
  EXPECT_EQ(Value(kFloatMax * (1 + std::ldexp(1.0, -26))).floatValue(), std::numeric_limits<float>::max());
}

TEST(StringNumbers, IntegerReadsDigitsAfterAnOptionalSign) {
  const std::pair<const char*, std::int32_t> cases[] = {
      {"1.9", 1},       {" -12abc", -12},         {"abc", 0},      {"", 0},
      {"+7", 7},        {"- 5", 0},               {"--5", 0},      {"\n\t 42", 42},
      {"0042", 42},     {"2147483647", kIntMax},  {"2147483648", kIntMax},
      {"-2147483648", kIntMin}, {"-2147483649", kIntMin}, {"99999999999999999999999", kIntMax},
  };
  for (const auto& [text, expected] : cases) {
    EXPECT_EQ(Value(text).intValue(), expected) << '"' << text << '"';
  }
  EXPECT_EQ(Value("123456789012").integerValue(), 123456789012);
  EXPECT_EQ(Value("9223372036854775807").integerValue(), kLongMax);
  EXPECT_EQ(Value("9223372036854775808").integerValue(), kLongMax);
  EXPECT_EQ(Value("-9223372036854775808").integerValue(), kLongMin);
  EXPECT_EQ(Value("-99999999999999999999").integerValue(), kLongMin);
}

TEST(StringNumbers, RealReadsADecimalNumberOnly) {
  const std::pair<const char*, double> cases[] = {
      {"1.9", 1.9},      {" 2.5e1x", 25.0}, {"abc", 0.0},    {"", 0.0},       {".5", 0.5},
      {"-.5e-1", -0.05}, {"+3", 3.0},       {"1e", 1.0},     {"1e+", 1.0},    {"2.", 2.0},
      {"1,5", 1.0},      {"0x10", 0.0},     {"inf", 0.0},    {"nan", 0.0},    {"-", 0.0},
      {".", 0.0},        {"1e400", kInfinity}, {"-1e400", -kInfinity}, {"1e-400", 0.0},
      {"0.000000000000000000001e330", kInfinity}, {"100000e-330", 0.0},
  };
  for (const auto& [text, expected] : cases) {
    EXPECT_EQ(Value(text).doubleValue(), expected) << '"' << text << '"';
  }
  // Parsed straight to float, not through double: no double rounding, and float's own range.
  EXPECT_EQ(Value("0.1").floatValue(), 0.1f);
  EXPECT_EQ(Value("1e39").floatValue(), std::numeric_limits<float>::infinity());
  // Just above halfway between 1 and the next float; through a double it would land exactly
  // halfway and round to even, down to 1.
  EXPECT_EQ(plist::numbers::stringFloatValue("1.00000005960464477539062501"), std::nextafter(1.0f, 2.0f));
}

TEST(StringNumbers, BooleanLooksAtTheFirstSignificantCharacter) {
  const std::pair<const char*, bool> cases[] = {
      {" +0007", true}, {"0", false},   {"yes", true},  {"no", false},  {"", false},
      {"true", true},   {"TRUE", true}, {"false", false}, {"-0y", true}, {"1", true},
      {"-1", true},     {"0.5", false}, {"   ", false}, {"9", true},    {"+-0+t", true},
  };
  for (const auto& [text, expected] : cases) {
    EXPECT_EQ(Value(text).boolValue(), expected) << '"' << text << '"';
  }
}

}  // namespace
