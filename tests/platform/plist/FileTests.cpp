#include "platform/plist/PropertyList.h"
#include "tests/platform/plist/Bplist.h"

#include <gtest/gtest.h>

#include <fcntl.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cmath>
#include <fstream>
#include <functional>
#include <iterator>
#include <limits>
#include <numeric>
#include <optional>
#include <set>
#include <string_view>

namespace fs = std::filesystem;
using plist::Array;
using plist::Data;
using plist::Date;
using plist::Dictionary;
using plist::Format;
using plist::Value;
using namespace bplisttest;

namespace plist {
void PrintTo(Format format, std::ostream* out) {
  *out << (format == Format::Xml ? "Xml" : format == Format::Binary ? "Binary" : "XmlOrBinary");
}
}  // namespace plist

namespace {

std::string readFile(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), {}};
}

void writeFile(const fs::path& path, std::string_view bytes) {
  std::ofstream(path, std::ios::binary).write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

std::set<std::string> namesIn(const fs::path& directory) {
  std::set<std::string> names;
  for (const auto& entry : fs::directory_iterator(directory)) names.insert(entry.path().filename().string());
  return names;
}

// Runs `body` in a forked child and gives its exit status, so a test can change its
// credentials or limits without touching the test process.
int inChild(const std::function<int()>& body) {
  const pid_t pid = fork();
  if (pid == 0) _exit(body());
  int status = 0;
  waitpid(pid, &status, 0);
  return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

// Arrays nested `levels` deep, the innermost empty or holding `leaf`.
std::string nestedXml(int levels, std::string_view leaf = "") {
  std::string xml = "<plist>";
  for (int i = 0; i < levels; ++i) xml += "<array>";
  xml += leaf;
  for (int i = 0; i < levels; ++i) xml += "</array>";
  return xml + "</plist>";
}
Value nestedValue(int levels, std::optional<Value> leaf = std::nullopt) {
  Value value = leaf ? Array{*leaf} : Array{};
  for (int i = 1; i < levels; ++i) value = Array{value};
  return value;
}
Bytes nestedBplistHoldingTrue(int levels) {
  std::vector<Bytes> objects;
  for (int i = 0; i < levels; ++i) objects.push_back(container(0xA0, {static_cast<std::uint32_t>(i + 1)}, 1));
  objects.push_back({0x09});
  return bplist(objects);
}

class Files : public testing::Test {
 protected:
  void SetUp() override {
    std::string pattern = testing::TempDir() + "plist-XXXXXX";
    ASSERT_NE(mkdtemp(pattern.data()), nullptr);
    dir_ = pattern;
    fs::permissions(dir_, fs::perms(0755));  // reachable by the unprivileged child below
  }
  void TearDown() override { fs::remove_all(dir_); }
  fs::path dir_;
};

class RoundTrip : public Files, public testing::WithParamInterface<Format> {};

TEST_P(RoundTrip, KeepsEveryKind) {
  Data everyByte(256);
  std::iota(everyByte.begin(), everyByte.end(), 0);
  Dictionary original{
      {"yes", true}, {"no", false}, {"zero", 0}, {"negative", -1},
      {"min", std::numeric_limits<std::int64_t>::min()}, {"max", std::numeric_limits<std::int64_t>::max()},
      {"tenth", 0.1}, {"tiny", -2.5e-300}, {"infinite", -std::numeric_limits<double>::infinity()},
      {"nan", std::nan("")}, {"text", "Grüße 🌍 <&> \"quoted\" ]]>"}, {"empty", ""}, {"", "empty key"},
      {"ключ <&>", 1}, {"bytes", everyByte}, {"noBytes", Data{}},
      {"date", Date{612705600}},             // 2020-06-01T12:00:00Z
      {"distantFuture", Date{63113904000}},  // past what libplist's own date API holds
      {"nested", Array{Array{}, Dictionary{}, Dictionary{{"inner", Array{1, "two", Dictionary{{"k", 2.5}}}}}}},
  };
  if (GetParam() == Format::Binary) {
    // XML keeps whole seconds; binary keeps the exact double, before 2001 too.
    original["fraction"] = Date{-0.5};
    original["before2001"] = Date{-1234.567890123};
    original["distantPast"] = Date{-63114076800};
  }
  const fs::path path = dir_ / "settings.plist";
  ASSERT_TRUE(plist::writeDictionaryAtomically(original, path, GetParam()));
  const std::optional<Dictionary> read = plist::readDictionary(path);
  ASSERT_TRUE(read.has_value());
  EXPECT_EQ(read->size(), original.size());
  for (const auto& [key, value] : original) {
    const auto found = read->find(key);
    EXPECT_TRUE(found != read->end() && found->second == value) << '"' << key << '"';
  }
  EXPECT_EQ(readFile(path).starts_with("bplist00"), GetParam() == Format::Binary);
}

INSTANTIATE_TEST_SUITE_P(Formats, RoundTrip, testing::Values(Format::Xml, Format::Binary),
                         [](const auto& info) { return info.param == Format::Xml ? "Xml" : "Binary"; });

TEST_F(Files, XmlIsTheDevicesFormWithSortedKeys) {
  const auto bytes = plist::serialize(Dictionary{{"b", 1}, {"a", 2}});
  ASSERT_TRUE(bytes.has_value());
  const std::string xml = text(*bytes);
  EXPECT_TRUE(xml.starts_with("<?xml")) << xml;
  EXPECT_LT(xml.find("<key>a</key>"), xml.find("<key>b</key>"));
}

TEST_F(Files, UnusableFilesGiveNothing) {
  EXPECT_FALSE(plist::readDictionary(dir_ / "missing.plist"));
  EXPECT_FALSE(plist::readDictionary(dir_));

  const auto valid = plist::serialize(Dictionary{{"key", "value"}, {"list", Array{1, 2, 3}}}, Format::Binary);
  ASSERT_TRUE(valid.has_value());
  const std::string binary = text(*valid);
  const std::pair<const char*, std::string> files[] = {
      {"empty", ""},
      {"malformed", "<plist><dict><key>a</key><true/>"},
      {"not a plist", "hello"},
      {"truncated binary", binary.substr(0, binary.size() - 1)},
      {"binary header only", binary.substr(0, 8)},
      {"xml array", "<plist><array><true/></array></plist>"},
      {"binary array", text(*plist::serialize(Array{1}, Format::Binary))},
      {"uid", text(bplist({container(0xD0, {1, 2}, 1), {0x51, 'a'}, {0x80, 0x05}}))},
  };
  for (const auto& [name, bytes] : files) {
    writeFile(dir_ / "file.plist", bytes);
    EXPECT_FALSE(plist::readDictionary(dir_ / "file.plist")) << name;
  }

  ASSERT_EQ(mkfifo((dir_ / "fifo").c_str(), 0644), 0);
  EXPECT_FALSE(plist::readDictionary(dir_ / "fifo"));  // and does not block

  fs::resize_file(dir_ / "file.plist", plist::kMaxFileSize + 1);
  EXPECT_FALSE(plist::readDictionary(dir_ / "file.plist"));
}

// Each of these overflows libplist's stack or exhausts memory if it gets through.
TEST_F(Files, HostileStructureIsRefusedBeforeParsing) {
  std::string hiddenCloses = "<plist>", quotedEnds = "<plist>";
  for (int i = 0; i < 100000; ++i) {
    hiddenCloses += "<array><!-- </array> --><![CDATA[</array>]]>";
    quotedEnds += "<array a=\"/>\">";
  }
  for (const std::string& xml : {nestedXml(200000), hiddenCloses, quotedEnds}) {
    EXPECT_FALSE(plist::parse(bytesOf(xml)));
  }

  std::vector<Bytes> laughs;  // 2^40 copies of one string once references are expanded
  for (std::uint32_t i = 0; i < 40; ++i) laughs.push_back(container(0xA0, {i + 1, i + 1}, 2));
  laughs.push_back({0x55, 'h', 'e', 'l', 'l', 'o'});
  for (const Bytes& binary : {nestedBplist(100000), bplist(laughs), bplist({container(0xA0, {0}, 1)})}) {
    EXPECT_FALSE(plist::parse(binary));
  }

  // Sharing itself is fine: devices write one object for equal strings.
  const Bytes shared = bplist({container(0xD0, {1, 2, 3, 3}, 2), {0x51, 'a'}, {0x51, 'b'}, {0x52, 'h', 'i'}});
  EXPECT_EQ(plist::parse(shared), Value(Dictionary{{"a", "hi"}, {"b", "hi"}}));
}

// Containers count, in both formats and both ways, and the value inside the deepest does
// not: a file of either format that holds one 512 levels down is read and written back.
TEST_F(Files, NestingIsBoundedTheSameWayBothWays) {
  for (const std::optional<Value>& leaf : {std::optional<Value>(), std::optional<Value>(Value(true))}) {
    for (const Format format : {Format::Xml, Format::Binary}) {
      const auto deepest = plist::serialize(nestedValue(plist::kMaxNesting, leaf), format);
      ASSERT_TRUE(deepest.has_value());
      EXPECT_EQ(plist::parse(*deepest), nestedValue(plist::kMaxNesting, leaf));
      EXPECT_FALSE(plist::serialize(nestedValue(plist::kMaxNesting + 1, leaf), format));
    }
  }
  for (const std::string_view leaf : {"", "<true/>", "<integer>1</integer>", "<string>deep</string>"}) {
    EXPECT_TRUE(plist::parse(bytesOf(nestedXml(plist::kMaxNesting, leaf)))) << leaf;
    EXPECT_FALSE(plist::parse(bytesOf(nestedXml(plist::kMaxNesting + 1, leaf)))) << leaf;
  }
  EXPECT_TRUE(plist::parse(nestedBplist(plist::kMaxNesting)));
  EXPECT_FALSE(plist::parse(nestedBplist(plist::kMaxNesting + 1)));
  EXPECT_TRUE(plist::parse(nestedBplistHoldingTrue(plist::kMaxNesting)));
  EXPECT_FALSE(plist::parse(nestedBplistHoldingTrue(plist::kMaxNesting + 1)));

  // Only containers hold elements, so nothing else adds a level.
  EXPECT_FALSE(plist::parse(bytesOf("<plist><array><string><array/></string></array></plist>")));
  EXPECT_FALSE(plist::parse(bytesOf("<plist><integer><integer>1</integer></integer></plist>")));
}

TEST_F(Files, WritesMode0644ReplacesAndLeavesNothingBehind) {
  umask(077);
  const fs::path path = dir_ / "settings.plist";
  ASSERT_TRUE(plist::writeDictionaryAtomically({{"first", 1}}, path));
  EXPECT_EQ(fs::status(path).permissions(), fs::perms(0644));
  ASSERT_TRUE(plist::writeDictionaryAtomically({{"second", 2}}, path, Format::Binary));
  EXPECT_EQ(plist::readDictionary(path), Dictionary({{"second", 2}}));
  EXPECT_EQ(namesIn(dir_), std::set<std::string>{"settings.plist"});
}

class FailedWrite : public Files {
 protected:
  void SetUp() override {
    Files::SetUp();
    path_ = dir_ / "settings.plist";
    ASSERT_TRUE(plist::writeDictionaryAtomically({{"old", "contents"}}, path_));
    before_ = readFile(path_);
  }
  void expectUntouched() {
    EXPECT_EQ(readFile(path_), before_);
    EXPECT_EQ(namesIn(dir_), std::set<std::string>{"settings.plist"});
  }
  fs::path path_;
  std::string before_;
  const Dictionary replacement_{{"new", Data(4096, 7)}};
};

TEST_F(FailedWrite, InAReadOnlyDirectory) {
  fs::permissions(dir_, fs::perms(0555));
  // Root ignores directory permissions, so the write runs as nobody.
  const int status = inChild([&] {
    if (geteuid() == 0 && seteuid(65534) != 0) return 2;
    return plist::writeDictionaryAtomically(replacement_, path_) ? 1 : 0;
  });
  fs::permissions(dir_, fs::perms(0755));
  EXPECT_EQ(status, 0);
  expectUntouched();
}

TEST_F(FailedWrite, WhenTheDiskFillsUp) {
  const int status = inChild([&] {
    signal(SIGXFSZ, SIG_IGN);
    const rlimit limit{1024, 1024};
    if (setrlimit(RLIMIT_FSIZE, &limit) != 0) return 2;
    return plist::writeDictionaryAtomically(replacement_, path_) ? 1 : 0;
  });
  EXPECT_EQ(status, 0);
  expectUntouched();
}

TEST_F(FailedWrite, WhenAValueCannotBeStored) {
  const Value unstorable[] = {std::string("nul\0inside", 10), "bad \xC3\x28 utf-8", "\xED\xA0\x80 surrogate",
                              Date{std::nan("")}, Date{1e300}};
  for (const Value& value : unstorable) {
    EXPECT_FALSE(plist::serialize(value));
    EXPECT_FALSE(plist::writeDictionaryAtomically({{"key", value}}, path_));
  }
  EXPECT_FALSE(plist::writeDictionaryAtomically({{"bad \xFF key", 1}}, path_));
  expectUntouched();
}

// XML holds the years 1000 to 9999; outside them libplist would write a text that other
// readers refuse or read as another date, so XML refuses them and binary keeps them.
TEST_F(FailedWrite, WhenADateLiesOutsideTheYearsXmlHolds) {
  for (double seconds : {-63145612800.0, -63113904001.0, -63113904000.0, -31588531201.0, 252423993600.0}) {
    EXPECT_FALSE(plist::serialize(Date{seconds}, Format::Xml)) << seconds;
    EXPECT_FALSE(plist::writeDictionaryAtomically({{"key", Date{seconds}}}, path_)) << seconds;
    const auto binary = plist::serialize(Date{seconds}, Format::Binary);
    ASSERT_TRUE(binary) << seconds;
    EXPECT_EQ(plist::parse(*binary), Value(Date{seconds}));
  }
  expectUntouched();
  for (double seconds : {-31588531200.0, 252423993599.0}) {
    const auto xml = plist::serialize(Date{seconds}, Format::Xml);
    ASSERT_TRUE(xml) << seconds;
    EXPECT_EQ(plist::parse(*xml), Value(Date{seconds})) << "the first and last second XML holds";
  }
}

}  // namespace
