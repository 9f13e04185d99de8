// A settings file is shared: another process (the settings editor, any property-list
// reader) reads what the write-back left. What is written must read the same to them as to
// the device, and what the device reads must be what they read: where libplist is laxer
// than other readers, the file is refused and left as it is.

#include "platform/plist/PropertyList.h"
#include "tests/platform/plist/Bplist.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <limits>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

using namespace bplisttest;
using plist::Array;
using plist::Date;
using plist::Dictionary;
using plist::Format;
using plist::Value;

namespace {

constexpr double kYear1 = -63113904000.0;             // 0001-01-01T00:00:00Z
constexpr double kLastOfYear999 = -31588531201.0;     // 0999-12-31T23:59:59Z
constexpr double kYear1000 = -31588531200.0;          // 1000-01-01T00:00:00Z
constexpr double kLastOfYear9999 = 252423993599.0;    // 9999-12-31T23:59:59Z
constexpr std::int64_t kMin = std::numeric_limits<std::int64_t>::min();

std::optional<Value> parseXml(std::string_view value) {
  const std::string xml = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<plist version=\"1.0\">" + std::string(value) +
                          "</plist>\n";
  return plist::parse(bytesOf(xml));
}

bool isBinary(const std::vector<std::uint8_t>& bytes) { return text(bytes).starts_with("bplist00"); }

std::string hex(std::string_view bytes) {
  static constexpr char kDigits[] = "0123456789ABCDEF";
  std::string out;
  for (const char c : bytes) {
    const auto byte = static_cast<unsigned char>(c);
    out += {kDigits[byte >> 4], kDigits[byte & 0xF]};
  }
  return out;
}

// A value alone, and as deep as a settings file keeps it: in an array in a dictionary.
std::vector<Dictionary> placed(const Value& value) {
  return {{{"value", value}}, {{"outer", Array{Dictionary{{"inner", Array{value}}}}}}};
}

// XML when `xml`, else binary, and read back identical either way.
void expectStoredAs(const Dictionary& dictionary, bool xml, const std::string& what) {
  const auto bytes = plist::serialize(dictionary, Format::XmlOrBinary);
  ASSERT_TRUE(bytes) << what;
  EXPECT_EQ(isBinary(*bytes), !xml) << what;
  EXPECT_EQ(plist::serialize(dictionary, Format::Xml).has_value(), xml) << what;
  const std::optional<Value> back = plist::parse(*bytes);
  ASSERT_TRUE(back) << what;
  EXPECT_TRUE(plist::identical(*back, Value(dictionary))) << what;
}

// --- dates --------------------------------------------------------------------------------

TEST(Dates, BeforeTheYear1000GoToBinaryForXmlHasFourDigitYears) {
  for (const double seconds : {kYear1, kYear1 + 1, kLastOfYear999}) {
    for (const Dictionary& dictionary : placed(Date{seconds})) expectStoredAs(dictionary, false, std::to_string(seconds));
  }
  for (const auto& [seconds, written] : {std::pair{kYear1000, "<date>1000-01-01T00:00:00Z</date>"},
                                         std::pair{kLastOfYear9999, "<date>9999-12-31T23:59:59Z</date>"}}) {
    for (const Dictionary& dictionary : placed(Date{seconds})) expectStoredAs(dictionary, true, written);
    EXPECT_NE(text(*plist::serialize(Dictionary{{"d", Date{seconds}}})).find(written), std::string::npos);
  }
}

TEST(Dates, XmlIsReadInTheFullFormWithFieldsInRangeOnly) {
  EXPECT_EQ(parseXml("<date>0001-01-01T00:00:00Z</date>"), Value(Date{kYear1}));
  EXPECT_EQ(parseXml("<date>0999-12-31T23:59:59Z</date>"), Value(Date{kLastOfYear999}));
  EXPECT_EQ(parseXml("<date>\n\t1000-01-01T00:00:00Z </date>"), Value(Date{kYear1000}));
  EXPECT_EQ(parseXml("<date>2000-02-29T12:00:00Z</date>"), Value(Date{-26481600.0}));
  // libplist reads each of these as some date; other readers refuse them.
  for (const char* odd : {"999-12-31T23:59:59Z", "10018-01-01T00:00:00Z", "0000-01-01T00:00:00Z", "2020Z",
                          "2020-01-01", "2020-1-01T00:00:00Z", "2020-13-01T00:00:00Z", "2021-02-29T00:00:00Z",
                          "2100-02-29T00:00:00Z", "2020-04-31T00:00:00Z", "2020-01-01T24:00:00Z",
                          "2020-01-01T00:60:00Z", "2020-01-01T00:00:60Z", "2020-01-01T00:00:00.5Z",
                          "2020-01-01 00:00:00Z", "2020-01-01T00:00:00", ""}) {
    EXPECT_FALSE(parseXml(std::string("<date>") + odd + "</date>")) << odd;
  }
  EXPECT_FALSE(parseXml("<date/>"));
}

// --- integers -----------------------------------------------------------------------------

TEST(Integers, XmlBeyondSixtyFourBitsIsRefusedBelowAsAbove) {
  EXPECT_EQ(parseXml("<integer>-9223372036854775808</integer>"), Value(kMin));
  EXPECT_EQ(parseXml("<array><dict><key>k</key><integer>-9223372036854775808</integer></dict></array>"),
            Value(Array{Dictionary{{"k", kMin}}}));
  EXPECT_EQ(parseXml("<integer>9223372036854775807</integer>"), Value(std::numeric_limits<std::int64_t>::max()));
  // libplist would read the first as INT64_MAX and -2^64 as 1.
  for (const char* beyond : {"-9223372036854775809", "-18446744073709551615", "-18446744073709551616",
                             "-99999999999999999999", "9223372036854775808", "18446744073709551616"}) {
    EXPECT_FALSE(parseXml(std::string("<integer>") + beyond + "</integer>")) << beyond;
    EXPECT_FALSE(parseXml(std::string("<array><dict><key>k</key><integer>") + beyond + "</integer></dict></array>"))
        << beyond;
  }
  const auto written = plist::serialize(Dictionary{{"min", kMin}});
  ASSERT_TRUE(written);
  EXPECT_NE(text(*written).find("<integer>-9223372036854775808</integer>"), std::string::npos);
}

TEST(Integers, XmlIsReadAsAPlainDecimalOnly) {
  EXPECT_EQ(parseXml("<integer> 5\n</integer>"), Value(5));
  EXPECT_EQ(parseXml("<integer>+7</integer>"), Value(7));
  EXPECT_EQ(parseXml("<integer>-0</integer>"), Value(0));
  EXPECT_EQ(parseXml("<integer>0</integer>"), Value(0));
  // libplist reads "010" as 8, "09" as 0, "0x10" as 16; other readers as 10, 9 or not at all.
  for (const char* odd : {"010", "09", "0x10", "- 5", "+", "", "1 2", "1e3", "5.0", "&#49;", "1<!-- -->2",
                          "<![CDATA[1]]>"}) {
    EXPECT_FALSE(parseXml(std::string("<integer>") + odd + "</integer>")) << odd;
  }
  EXPECT_FALSE(parseXml("<integer/>"));
}

// --- carriage returns ---------------------------------------------------------------------

TEST(CarriageReturns, GoIntoXmlAsCharacterReferencesInValuesAndKeys) {
  for (const char* text : {"\r", "\r\n", "a\rb", "\n\r", "\r\r\n\n", "end\r"}) {
    std::vector<Dictionary> dictionaries = placed(text);
    dictionaries.push_back({{std::string("key") + text, true}});
    dictionaries.push_back({{"outer", Dictionary{{text, Array{text}}}}});
    for (const Dictionary& dictionary : dictionaries) {
      expectStoredAs(dictionary, true, hex(text));
      const std::string xml = bplisttest::text(*plist::serialize(dictionary));
      EXPECT_EQ(xml.find('\r'), std::string::npos) << xml;
      EXPECT_NE(xml.find("&#13;"), std::string::npos) << xml;
    }
  }
  // Two keys that differ by it stay two keys.
  expectStoredAs({{"k\r", 1}, {"k\n", 2}, {"k\r\n", 3}}, true, "k");
}

TEST(CarriageReturns, XmlReferencesReadAsThemselves) {
  EXPECT_EQ(parseXml("<string>a&#13;b</string>"), Value("a\rb"));
  EXPECT_EQ(parseXml("<string>&#xD;&#xA;</string>"), Value("\r\n"));
  EXPECT_EQ(parseXml("<dict><key>k&#13;</key><true/></dict>"), Value(Dictionary{{"k\r", true}}));
}

// XML readers read a carriage return written as itself as a line feed, libplist and the
// device as a carriage return: no reading of the text is everyone's.
TEST(CarriageReturns, XmlTextHoldingOneAsItselfIsRefused) {
  for (const char* odd : {"<string>a\rb</string>", "<string>a\r\nb</string>", "<string>\r</string>",
                          "<dict><key>k\r</key><true/></dict>", "<string><![CDATA[a\rb]]></string>",
                          "<array><dict><key>k</key><string>a\r\n</string></dict></array>"}) {
    EXPECT_FALSE(parseXml(odd)) << odd;
  }
  // Between elements, in data, in a comment, it is no text of a string.
  EXPECT_EQ(parseXml("<dict>\r\n\t<key>k</key>\r\n\t<string>v</string>\r\n</dict>\r\n"),
            Value(Dictionary{{"k", "v"}}));
  EXPECT_EQ(parseXml("<data>AAEC\r\nAwQF\r\n</data>"), Value(plist::Data{0, 1, 2, 3, 4, 5}));
  EXPECT_EQ(parseXml("<string>a<!--\r\n-->b</string>"), Value("ab"));
}

// --- characters XML cannot carry ----------------------------------------------------------

TEST(XmlCharacters, ThoseXmlCannotCarryGoToBinaryInValuesAndKeys) {
  std::vector<std::string> forbidden{"\xEF\xBF\xBE", "\xEF\xBF\xBF"};  // U+FFFE, U+FFFF
  for (char c = 1; c < 0x20; ++c) {
    if (c != '\t' && c != '\n' && c != '\r') forbidden.emplace_back(1, c);
  }
  for (const std::string& character : forbidden) {
    std::vector<Dictionary> dictionaries = placed(character);
    dictionaries.push_back(placed("a" + character + "b")[1]);
    dictionaries.push_back({{"key" + character, 1}});
    dictionaries.push_back({{"outer", Array{Dictionary{{character, Array{}}}}}});
    for (const Dictionary& dictionary : dictionaries) {
      expectStoredAs(dictionary, false, hex(character));
    }
  }
  // Their neighbours XML carries.
  for (const char* allowed : {"\t", "\n", " ", "\x7F", "\xC2\x80", "\xC2\x85", "\xEF\xBF\xBD", "\xEF\xBB\xBF",
                              "\xF0\x9F\x8C\x8D", "\xF4\x8F\xBF\xBF"}) {
    for (const Dictionary& dictionary : placed(allowed)) expectStoredAs(dictionary, true, hex(allowed));
    expectStoredAs({{allowed, 1}}, true, hex(allowed));
  }
}

// --- other refusals -----------------------------------------------------------------------

TEST(Refusals, WhatLibplistReadsOtherwiseIsRefusedAndAByteOrderMarkIsRead) {
  const std::string body = "<plist version=\"1.0\"><string>\xC3\xA9</string></plist>";
  EXPECT_EQ(plist::parse(bytesOf("\xEF\xBB\xBF<?xml version=\"1.0\" encoding=\"UTF-8\"?>" + body)), Value("\xC3\xA9"));
  EXPECT_EQ(plist::parse(bytesOf("<?xml version='1.0' encoding = 'utf-8'?>" + body)), Value("\xC3\xA9"));
  EXPECT_EQ(plist::parse(bytesOf("<?xml version=\"1.0\"?>" + body)), Value("\xC3\xA9"));
  // In ISO-8859-1 these bytes are "Ã©"; libplist would read "é".
  EXPECT_FALSE(plist::parse(bytesOf("<?xml version=\"1.0\" encoding=\"ISO-8859-1\"?>" + body)));
  EXPECT_FALSE(plist::parse(bytesOf("<?xml version=\"1.0\" encoding=\"UTF-16\"?>" + body)));
  EXPECT_FALSE(plist::parse(bytesOf("<?xml version=\"1.0\" encoding=UTF-8?>" + body)));
  std::string utf16{'\xFF', '\xFE'};
  for (const char c : std::string("<plist><true/></plist>")) utf16 += {c, '\0'};
  EXPECT_FALSE(plist::parse(bytesOf(utf16)));
  EXPECT_FALSE(parseXml("<string>a<?pi?>b</string>"));

  // Binary objects the model has no kind for: null, and a set (libplist reads it as an array).
  EXPECT_FALSE(plist::parse(bplist({container(0xA0, {1}, 1), {0x00}})));
  EXPECT_FALSE(plist::parse(bplist({container(0xC0, {1}, 1), {0x09}})));
  EXPECT_EQ(plist::parse(bplist({container(0xA0, {1}, 1), {0x09}})), Value(Array{true}));
}

}  // namespace
