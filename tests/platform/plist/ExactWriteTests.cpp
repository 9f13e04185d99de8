// What is written reads back bit for bit: a settings file is rewritten whole, so every value
// another process stored in it must survive the write-back.

#include "platform/plist/PropertyList.h"
#include "tests/platform/plist/Bplist.h"

#include <gtest/gtest.h>

#include <unistd.h>

#include <cmath>
#include <cstring>
#include <fstream>
#include <iterator>
#include <limits>
#include <numeric>

using namespace bplisttest;
using plist::Array;
using plist::Date;
using plist::Dictionary;
using plist::Format;
using plist::Value;

namespace plist {
void PrintTo(Format format, std::ostream* out);  // in FileTests.cpp
}  // namespace plist

namespace {

using Limits = std::numeric_limits<double>;

double withPayload(std::uint64_t bits) {
  double value = 0;
  std::memcpy(&value, &bits, sizeof value);
  return value;
}

Value nested(int levels, bool dictionaries) {
  Value value = dictionaries ? Value(Dictionary{}) : Value(Array{});
  for (int i = 1; i < levels; ++i) value = dictionaries ? Value(Dictionary{{"k", value}}) : Value(Array{value});
  return value;
}

// Every kind at its edges, by a name that says which.
Dictionary extremes() {
  plist::Data everyByte(256);
  std::iota(everyByte.begin(), everyByte.end(), 0);
  return {
      {"date +1e12", Date{1e12}},
      {"date -1e12", Date{-1e12}},
      {"date 2.53e11 (year 10018)", Date{2.53e11}},
      {"date -1.5", Date{-1.5}},
      {"date 0.25", Date{0.25}},
      {"date -0.0", Date{-0.0}},
      {"date near 1e12 with a fraction", Date{1e12 - 0.5}},
      {"date before year 1", Date{-63113904000.0 - 0.75}},
      {"real +1e308", 1e308},
      {"real -1e308", -1e308},
      {"real max", Limits::max()},
      {"real lowest", Limits::lowest()},
      {"real smallest denormal", Limits::denorm_min()},
      {"real negative denormal", -Limits::denorm_min()},
      {"real largest denormal", std::nextafter(Limits::min(), 0.0)},
      {"real -0.0", -0.0},
      {"real 0.1", 0.1},
      {"real infinity", Limits::infinity()},
      {"real -infinity", -Limits::infinity()},
      {"real NaN", Limits::quiet_NaN()},
      {"real -NaN", -Limits::quiet_NaN()},
      {"real NaN with a payload", withPayload(0x7FF8'0000'0000'1234)},
      {"integer -2^63", std::numeric_limits<std::int64_t>::min()},
      {"integer 2^63-1", std::numeric_limits<std::int64_t>::max()},
      {"integer -1", -1},
      {"integer 0", 0},
      {"boolean yes", true},
      {"boolean no", false},
      {"string empty", ""},
      {"string non-ASCII", "Grüße, ключ, 🌍, \u00A0"},
      {"string white space", " \t\r\n leading and trailing \r"},
      {"string markup", "]]> <&> \"'"},
      {"data empty", plist::Data{}},
      {"data every byte", everyByte},
      {"", "the empty key"},
      {"arrays at the depth limit", nested(plist::kMaxNesting - 1, false)},
      {"dictionaries at the depth limit", nested(plist::kMaxNesting - 1, true)},
  };
}

class Exact : public testing::TestWithParam<Format> {
 protected:
  void SetUp() override {
    std::string pattern = testing::TempDir() + "exact-XXXXXX";
    ASSERT_NE(mkdtemp(pattern.data()), nullptr);
    dir_ = pattern;
  }
  void TearDown() override { std::filesystem::remove_all(dir_); }
  std::filesystem::path dir_;
};

// Each alone, so that one the format cannot hold does not hide the others; then together.
TEST_P(Exact, EveryKindAtItsEdgesReadsBackBitForBit) {
  const std::filesystem::path path = dir_ / "settings.plist";
  for (const auto& [name, value] : extremes()) {
    ASSERT_TRUE(plist::writeDictionaryAtomically({{name, value}}, path, GetParam())) << name;
    const std::optional<Dictionary> read = plist::readDictionary(path);
    ASSERT_TRUE(read) << name;
    EXPECT_TRUE(plist::identical(*read, {{name, value}})) << name;
  }
  ASSERT_TRUE(plist::writeDictionaryAtomically(extremes(), path, GetParam()));
  const std::optional<Dictionary> read = plist::readDictionary(path);
  ASSERT_TRUE(read);
  EXPECT_TRUE(plist::identical(*read, extremes()));
}

INSTANTIATE_TEST_SUITE_P(Formats, Exact, testing::Values(Format::Binary, Format::XmlOrBinary),
                         [](const auto& info) { return info.param == Format::Binary ? "Binary" : "XmlOrBinary"; });

// XML cannot hold every value; what it cannot, it refuses rather than write another.
TEST(ExactXml, GivesBackTheSameValueOrRefuses) {
  for (const auto& [name, value] : extremes()) {
    const auto bytes = plist::serialize(Dictionary{{name, value}}, Format::Xml);
    if (!bytes) continue;
    const std::optional<Value> read = plist::parse(*bytes);
    ASSERT_TRUE(read) << name;
    EXPECT_TRUE(plist::identical(*read, Dictionary{{name, value}})) << name;
  }
  for (const Value& lossy : {Value(Date{2.53e11}), Value(Date{-1.5}), Value(Date{0.25}), Value(-0.0),
                             Value(-Limits::quiet_NaN())}) {
    EXPECT_FALSE(plist::serialize(lossy, Format::Xml));
  }
}

// The device's form where it loses nothing, so a file of plain settings stays XML.
TEST(ExactXml, XmlOrBinaryIsXmlUnlessAValueNeedsBinary) {
  const Dictionary settings{{"isEnabled", true}, {"vibrationIntensity", 0.3}, {"bgTessaroColor", "#D78449"},
                            {"since", Date{612705600}}};
  const auto plain = plist::serialize(settings, Format::XmlOrBinary);
  ASSERT_TRUE(plain);
  EXPECT_TRUE(text(*plain).starts_with("<?xml"));
  Dictionary withFraction = settings;
  withFraction["since"] = Date{612705600.5};
  const auto binary = plist::serialize(withFraction, Format::XmlOrBinary);
  ASSERT_TRUE(binary);
  EXPECT_TRUE(text(*binary).starts_with("bplist00"));
}

// The write-back: another process stored dates XML cannot hold and a negative zero; the
// tweak reads the file, changes one key and writes it all back.
TEST(ExactXml, AWriteBackKeepsWhatAnotherProcessStored) {
  const std::string path = testing::TempDir() + "write-back-" + std::to_string(getpid()) + ".plist";
  const Dictionary stored{{"isEnabled", false}, {"farFuture", Date{2.53e11}}, {"halfSecond", Date{-1.5}},
                          {"offset", -0.0}, {"count", std::numeric_limits<std::int64_t>::min()}};
  ASSERT_TRUE(plist::writeDictionaryAtomically(stored, path, Format::Binary));
  std::optional<Dictionary> settings = plist::readDictionary(path);
  ASSERT_TRUE(settings);
  (*settings)["isEnabled"] = true;
  ASSERT_TRUE(plist::writeDictionaryAtomically(*settings, path, Format::XmlOrBinary));
  Dictionary expected = stored;
  expected["isEnabled"] = true;
  const std::optional<Dictionary> read = plist::readDictionary(path);
  std::remove(path.c_str());
  ASSERT_TRUE(read);
  EXPECT_TRUE(plist::identical(*read, expected));
}

// The model holds integers as int64 and dates within 10^12 s of 2001; a file holding more
// is refused whole, so that no write-back can change what it stored.
TEST(ExactReading, ValuesTheModelCannotHoldAreRefusedRatherThanChanged) {
  const auto integer16 = [](std::uint64_t high, std::uint64_t low) {
    Bytes object{0x14};
    appendBigEndian(object, high, 8);
    appendBigEndian(object, low, 8);
    return bplist({container(0xA0, {1}, 1), object});
  };
  const auto date = [](double seconds) {
    Bytes object{0x33};
    std::uint64_t bits = 0;
    std::memcpy(&bits, &seconds, sizeof bits);
    appendBigEndian(object, bits, 8);
    return bplist({container(0xA0, {1}, 1), object});
  };
  EXPECT_FALSE(plist::parse(integer16(0, ~std::uint64_t{0}))) << "2^64-1";
  EXPECT_FALSE(plist::parse(integer16(0, std::uint64_t{1} << 63))) << "2^63";
  EXPECT_FALSE(plist::parse(integer16(1, 5))) << "2^64+5: libplist keeps 5";
  EXPECT_EQ(plist::parse(integer16(0, 5)), Value(Array{5}));
  EXPECT_FALSE(plist::parse(bytesOf("<plist><array><integer>18446744073709551615</integer></array></plist>")));
  EXPECT_FALSE(plist::parse(bytesOf("<plist><array><integer>9223372036854775808</integer></array></plist>")));
  EXPECT_EQ(plist::parse(bytesOf("<plist><array><integer>-9223372036854775808</integer></array></plist>")),
            Value(Array{std::numeric_limits<std::int64_t>::min()}));

  for (double seconds : {1e12 + 1, -1e13, Limits::infinity(), Limits::quiet_NaN()}) {
    EXPECT_FALSE(plist::parse(date(seconds))) << seconds;
  }
  EXPECT_EQ(plist::parse(date(-1e12)), Value(Array{Date{-1e12}}));
}

}  // namespace
