// Files another process wrote to stop, stall or swell the reader: each is refused before
// libplist sees it, or read in time and memory proportional to its size.

#include "platform/plist/InputLimits.h"
#include "platform/plist/PropertyList.h"
#include "tests/platform/plist/Bplist.h"

#include <gtest/gtest.h>

#include <sys/resource.h>
#include <unistd.h>

#include <chrono>
#include <fstream>
#include <cstdio>
#include <functional>

using namespace bplisttest;
using namespace std::literals;
using plist::Array;
using plist::Dictionary;
using plist::Value;

namespace {

double secondsFor(const std::function<void()>& work) {
  const auto start = std::chrono::steady_clock::now();
  work();
  return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

long peakKilobytes() {
  rusage usage{};
  getrusage(RUSAGE_SELF, &usage);
  return usage.ru_maxrss;
}

// A dictionary of one key, as a settings file is.
Bytes dictionaryOf(const Bytes& key, const Bytes& value) { return bplist({container(0xD0, {1, 2}, 1), key, value}); }

std::optional<Dictionary> readAsFile(const Bytes& bytes) {
  const std::string path = testing::TempDir() + "hostile-" + std::to_string(getpid()) + ".plist";
  std::ofstream(path, std::ios::binary).write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
  std::optional<Dictionary> read = plist::readDictionary(path);
  std::remove(path.c_str());
  return read;
}

// --- strings ------------------------------------------------------------------------------

// libplist 2.2 aborts the process on a UTF-16 string holding U+0000 (an assertion in
// plist_get_key_val for a key, in plist_get_string_val for a value), and reads an ASCII one
// with a NUL as the text before it. If the checks let any through, this test dies.
TEST(HostileStrings, ANulInABinaryStringIsRefusedBeforeParsing) {
  const std::pair<const char*, Bytes> files[] = {
      {"UTF-16 key with U+0000", dictionaryOf(utf16(u"a\0b"sv), {0x09})},
      {"UTF-16 key that is U+0000", dictionaryOf(utf16(u"\0"sv), {0x09})},
      {"UTF-16 key ending in U+0000", dictionaryOf(utf16(u"key\0"sv), {0x09})},
      {"ASCII key with a NUL", dictionaryOf(ascii("a\0b"sv), {0x09})},
      {"UTF-16 value with U+0000", dictionaryOf(ascii("k"), utf16(u"a\0b"sv))},
      {"ASCII value with a NUL", dictionaryOf(ascii("k"), ascii("\0"sv))},
      {"in an array in a dictionary", bplist({container(0xD0, {1, 2}, 1), ascii("k"), container(0xA0, {3}, 1), utf16(u"\0"sv)})},
  };
  for (const auto& [name, bytes] : files) {
    EXPECT_FALSE(plist::parse(bytes)) << name;
    EXPECT_FALSE(readAsFile(bytes)) << name;
  }
  // The string itself is fine without its NUL.
  EXPECT_EQ(plist::parse(dictionaryOf(utf16(u"ab"sv), {0x09})), Value(Dictionary{{"ab", true}}));
}

TEST(HostileStrings, ANulInXmlIsRefusedBeforeParsing) {
  const std::string files[] = {
      "<plist><dict><key>a\0b</key><true/></dict></plist>"s,             // read as "a" by libplist
      "<plist><dict><key>k</key><string>a\0b</string></dict></plist>"s,  // kept whole: aborts later
      "<plist><array><string>\0</string></array></plist>"s,
      "<plist><!-- \0 --><dict/></plist>"s,
      "<plist><dict><key>a&#0;b</key><true/></dict></plist>",
      "<plist><dict><key>k</key><string>&#x0000;</string></dict></plist>",
  };
  for (const std::string& xml : files) EXPECT_FALSE(plist::parse(bytesOf(xml))) << xml.size();
}

// Read, these would be other strings than were written, or strings no writer could store;
// a write-back of the file would then change or lose them.
TEST(HostileStrings, StringsThatWouldReadAsOthersAreRefused) {
  const std::pair<const char*, Bytes> binary[] = {
      {"lone high surrogate (libplist reads an empty string)", dictionaryOf(ascii("k"), utf16(u"a\xD800"sv))},
      {"lone low surrogate", dictionaryOf(ascii("k"), utf16(u"\xDC00z"sv))},
      {"high surrogate then no low one", dictionaryOf(utf16(u"\xD83Dz"sv), {0x09})},
      {"ASCII string with a byte above 0x7F", dictionaryOf(ascii("caf\xE9"), {0x09})},
  };
  for (const auto& [name, bytes] : binary) EXPECT_FALSE(plist::parse(bytes)) << name;
  const char* xml[] = {
      "<plist><dict><key>a&#xD800;b</key><true/></dict></plist>",  // a surrogate as UTF-8
      "<plist><dict><key>k</key><string>\xFF</string></dict></plist>",
      "<plist><array><string>\xC3\x28</string></array></plist>",
  };
  for (const char* text : xml) EXPECT_FALSE(plist::parse(bytesOf(text))) << text;
}

TEST(HostileStrings, WellFormedUnicodeReadsInBothFormats) {
  const Value expected(Dictionary{{"ключ 🌍", "Grüße 🌍"}});
  EXPECT_EQ(plist::parse(dictionaryOf(utf16(u"ключ 🌍"), utf16(u"Grüße 🌍"))), expected);
  EXPECT_EQ(plist::parse(bytesOf("<plist><dict><key>&#x43A;люч &#x1F30D;</key><string>Grüße 🌍</string></dict></plist>")),
            expected);
}

// --- the number of objects ----------------------------------------------------------------

// `count` one-byte references to one `true`, under the key "list": count + 3 objects.
Bytes longArraySettings(std::uint64_t count) {
  Bytes array = marker(0xA0, count);
  array.insert(array.end(), count, 3);
  return bplist({container(0xD0, {1, 2}, 1, 1), ascii("list"), array, {0x09}}, 1);
}

// count + 1 objects.
std::string xmlArray(std::uint64_t count) {
  std::string xml = "<plist><array>";
  for (std::uint64_t i = 0; i < count; ++i) xml += "<true/>";
  return xml + "</array></plist>";
}

// 2 count + 1 objects.
std::string xmlDictionary(std::uint64_t count) {
  std::string xml = "<plist><dict>";
  for (std::uint64_t i = 0; i < count; ++i) xml += "<key>" + std::to_string(i) + "</key><true/>";
  return xml + "</dict></plist>";
}

// An 80 KB file; fetching each element by its index, libplist walks the ones before it,
// which took 6.5 s here.
TEST(LargeFiles, AnArrayOfEightyThousandElementsReadsInMilliseconds) {
  const Bytes file = longArraySettings(80'000);
  ASSERT_LT(file.size(), 81'000u);
  std::optional<Dictionary> read;
  const double seconds = secondsFor([&] { read = readAsFile(file); });
  ASSERT_TRUE(read);
  EXPECT_EQ(read->at("list"), Value(Array(80'000, Value(true))));
  EXPECT_LT(seconds, 1.0);
}

TEST(LargeFiles, ObjectsAreBoundedInBothFormats) {
  EXPECT_TRUE(plist::parse(longArraySettings(plist::kMaxObjects - 3)));
  EXPECT_FALSE(plist::parse(longArraySettings(plist::kMaxObjects - 2)));
  EXPECT_TRUE(plist::parse(bytesOf(xmlArray(plist::kMaxObjects - 1))));
  EXPECT_FALSE(plist::parse(bytesOf(xmlArray(plist::kMaxObjects))));
  EXPECT_FALSE(plist::parse(bytesOf(xmlDictionary(plist::kMaxObjects / 2))));

  // Keys count: a dictionary of distinct keys, all holding one shared `true`.
  const auto dictionary = [](std::uint32_t pairs) {
    std::vector<Bytes> objects{{}, {0x09}};
    std::vector<std::uint32_t> references;
    for (std::uint32_t i = 0; i < pairs; ++i) {
      references.push_back(i + 2);
      objects.push_back(ascii(std::to_string(i)));
    }
    references.insert(references.end(), pairs, 1);
    objects[0] = container(0xD0, references, pairs);
    return bplist(objects);
  };
  const std::optional<Value> full = plist::parse(dictionary((plist::kMaxObjects - 1) / 2));
  ASSERT_TRUE(full);
  EXPECT_EQ(full->asDictionary()->size(), (plist::kMaxObjects - 1) / 2);
  EXPECT_FALSE(plist::parse(dictionary((plist::kMaxObjects - 1) / 2 + 1)));
}

// libplist's time grows with the square of one XML dictionary's keys: a million would take
// minutes. Refused on counting.
TEST(LargeFiles, AnXmlDictionaryWithAMillionKeysIsRefusedAtOnce) {
  const std::string xml = xmlDictionary(1'000'000);
  EXPECT_LT(secondsFor([&] { EXPECT_FALSE(plist::parse(bytesOf(xml))); }), 2.0);
}

// Counted over the whole tree, each shared object with all it holds.
TEST(LargeFiles, ObjectsAreCountedOverTheWholeTree) {
  const plist::detail::Limits limits{8, 5, 1 << 20};
  const auto xmlWithin = [&](std::string_view xml) { return plist::detail::xmlWithinLimits(xml, limits); };
  EXPECT_TRUE(xmlWithin("<plist><dict><key>a</key><array><true/></array></dict></plist>"));
  EXPECT_FALSE(xmlWithin("<plist><dict><key>a</key><array><true/><false/></array></dict></plist>"));
  EXPECT_TRUE(xmlWithin("<plist><array><!-- <true/><true/><true/> --><true/><![CDATA[<a/><a/>]]></array></plist>"));

  // [A, A, A] with A = [yes, yes]: 1 + 3 * (1 + 2).
  const Bytes shared = bplist({container(0xA0, {1, 1, 1}, 3), container(0xA0, {2, 2}, 2), {0x09}});
  EXPECT_TRUE(plist::detail::binaryWithinLimits(shared, {8, 10, 1 << 20}));
  EXPECT_FALSE(plist::detail::binaryWithinLimits(shared, {8, 9, 1 << 20}));
}

// The bound keeps a write-back in time: libplist writes binary in time quadratic in the
// distinct objects. 0.3 s here, 2 s under the sanitizers (more on a busy machine); a
// bound four times larger would take sixteen times as long. A guard against that, not a
// speed goal: speed is measured in bench/.
TEST(LargeFiles, TheLargestTreeWritesAsBinaryInTime) {
  Array reals;
  for (std::uint64_t i = 0; i + 1 < plist::kMaxObjects; ++i) reals.push_back(Value(static_cast<double>(i) + 0.5));
  const Value value(std::move(reals));
  std::optional<std::vector<std::uint8_t>> bytes;
  EXPECT_LT(secondsFor([&] { bytes = plist::serialize(value, plist::Format::Binary); }), 15.0);
  ASSERT_TRUE(bytes);
  EXPECT_FALSE(plist::serialize(Value(Array(plist::kMaxObjects, Value(1)))));
}

// --- shared references --------------------------------------------------------------------

// 204 KB: one 200 KB data object referenced 4,000 times. libplist copies it for each
// reference: reading it took 1.5 GB.
TEST(SharedReferences, OneDataObjectReferencedFourThousandTimesIsRefusedWithoutTheMemory) {
  Bytes array = marker(0xA0, 4000);
  array.insert(array.end(), 4000, 3);
  const Bytes file = bplist({container(0xD0, {1, 2}, 1, 1), ascii("list"), array, data(200'000)}, 1);
  ASSERT_LT(file.size(), 205'000u);
  const long before = peakKilobytes();
  EXPECT_LT(secondsFor([&] { EXPECT_FALSE(readAsFile(file)); }), 1.0);
  EXPECT_LT(peakKilobytes() - before, 32 * 1024);
}

// Data of `size` bytes twice in an array, that array `copies` times in the top one.
Bytes sharedTwice(std::size_t size, std::uint32_t copies) {
  return bplist({container(0xA0, std::vector<std::uint32_t>(copies, 1), copies), container(0xA0, {2, 2}, 2), data(size)});
}

// Each reference weighs what it expands to, containers with all they hold, however often
// they are shared: the top array, its `copies` arrays, and in each two copies of the data.
TEST(SharedReferences, EveryReferenceWeighsWhatItExpandsTo) {
  constexpr std::uint64_t kNode = plist::detail::kNodeCost;
  const auto weight = [](std::uint64_t size, std::uint64_t copies) {
    return kNode + copies * (kNode + 2 * (kNode + size));
  };
  const auto within = [](const Bytes& file, std::uint64_t limit) {
    return plist::detail::binaryWithinLimits(file, {plist::kMaxNesting, plist::kMaxObjects, limit});
  };
  EXPECT_TRUE(within(sharedTwice(1000, 3), weight(1000, 3)));
  EXPECT_FALSE(within(sharedTwice(1000, 3), weight(1000, 3) - 1));

  // Strings weigh their UTF-8 bytes, whatever they are stored as; keys are objects too.
  const Bytes dictionary = bplist({container(0xD0, {1, 2}, 1), utf16(u"é🌍"), ascii("abc")});
  EXPECT_TRUE(within(dictionary, 3 * kNode + 6 + 3));
  EXPECT_FALSE(within(dictionary, 3 * kNode + 6 + 2));

  // And the limit of the reader: 16 copies of an array holding twice a data object of about
  // 1 MB weigh exactly kMaxWeight; one more byte of data is too much.
  const std::uint64_t size = ((plist::kMaxWeight - kNode) / 16 - 3 * kNode) / 2;
  ASSERT_EQ(weight(size, 16), plist::kMaxWeight);
  EXPECT_TRUE(plist::parse(sharedTwice(size, 16)));
  EXPECT_FALSE(plist::parse(sharedTwice(size + 1, 16)));
}

// Each level refers to the next twice: 2^500 strings expanded, measured once a level.
TEST(SharedReferences, SharingAsDeepAsNestingAllowsIsMeasuredAtOnce) {
  std::vector<Bytes> objects;
  for (std::uint32_t i = 0; i + 1 < plist::kMaxNesting; ++i) objects.push_back(container(0xA0, {i + 1, i + 1}, 2));
  objects.push_back(ascii("hello"));
  EXPECT_LT(secondsFor([&] { EXPECT_FALSE(plist::parse(bplist(objects))); }), 1.0);
}

}  // namespace
