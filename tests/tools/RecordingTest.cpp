#include "tools/tessaro-sim/recordings/Recording.h"

#include "tools/tessaro-sim/recordings/LoadedRecording.h"

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include <sys/stat.h>
#include <unistd.h>

#include <cmath>
#include <cstring>
#include <fstream>
#include <memory>
#include <string>
#include <vector>

namespace {

using recordings::RecordingError;

class Recordings : public ::testing::Test {
 protected:
  void SetUp() override {
    directory_ = std::filesystem::temp_directory_path() / ("tessaro-recordings-" + std::to_string(::getpid()));
    std::filesystem::create_directories(directory_);
  }
  void TearDown() override { std::filesystem::remove_all(directory_); }

  std::filesystem::path write(const std::string& name, const std::string& contents) {
    const auto path = directory_ / name;
    std::ofstream(path, std::ios::binary) << contents;
    return path;
  }

  static std::vector<hardware::TimedReading> readAll(const std::filesystem::path& path) {
    std::vector<hardware::TimedReading> readings;
    auto stream = recordings::openRecording(path);
    while (auto reading = stream->next()) readings.push_back(*reading);
    return readings;
  }

  std::filesystem::path directory_;
};

// One reading as the recorder writes it, with the fields the reader skips.
std::string jsonReading(double timestamp, double gz, double ux, const std::string& extra = "") {
  return R"({"attitude":{"x":0.1,"y":0.2,"z":0.3,"w":0.9},"timestamp":)" + std::to_string(timestamp) +
         R"(,"rotationRate":{"x":0,"y":0,"z":0},"userAcceleration":{"x":)" + std::to_string(ux) +
         R"(,"y":0.01,"z":-0.02},"gravity":{"x":0,"y":-0.5,"z":)" + std::to_string(gz) +
         R"(},"magneticField":{"x":0,"y":0,"z":0,"accuracy":-1})" + extra + "}";
}

TEST_F(Recordings, JsonKeepsTimestampGravityAndUserAccelerationAndSkipsTheRest) {
  // Ignored fields may hold anything JSON allows, brackets and escaped quotes in strings too.
  const std::string tricky = R"(,"note":"a } ] \" [ { \\","list":[[1,{"a":[]}],2])";
  const auto path = write("r.json", "[\n  " + jsonReading(1054137.25, -1, 0.5, tricky) + ",\n  " +
                                        jsonReading(1054137.25, -0.9, 0.25) + ",\n" + jsonReading(1054137.5, -0.8, 0) +
                                        "\n]\n");
  const auto readings = readAll(path);
  ASSERT_EQ(readings.size(), 3u);
  EXPECT_EQ(readings[0].timestamp, 1054137.25);
  EXPECT_EQ(readings[0].reading.gravity.y, -0.5);
  EXPECT_EQ(readings[0].reading.gravity.z, -1);
  EXPECT_EQ(readings[0].reading.userAcceleration.x, 0.5);
  EXPECT_EQ(readings[0].reading.userAcceleration.z, -0.02);
  EXPECT_EQ(readings[1].timestamp, readings[0].timestamp) << "equal timestamps are allowed";
  EXPECT_EQ(readings[2].reading.gravity.z, -0.8);

  const auto summary = recordings::scanRecording(path);
  EXPECT_EQ(summary.readings, 3);
  EXPECT_DOUBLE_EQ(summary.seconds(), 0.25);
}


// Keys written with escapes, and a field given twice (the last counts), are valid JSON too.
TEST_F(Recordings, JsonReadsUnusualButValidElements) {
  const auto readings = readAll(write("r.json", R"([{"time\u0073tamp":3,"gravity":{"\u0078":1,"y":2,"z":3},)"
                                                R"("userAcceleration":{"x":4,"y":5,"z":6}},)"
                                                "\n"
                                                R"({"timestamp":4,"timestamp":5,"gravity":{"x":0,"y":0,"z":-1},)"
                                                R"("userAcceleration":{"x":0,"y":0,"z":0}}])"));
  ASSERT_EQ(readings.size(), 2u);
  EXPECT_EQ(readings[0].timestamp, 3);
  EXPECT_EQ(readings[0].reading.gravity.x, 1);
  EXPECT_EQ(readings[0].reading.userAcceleration.z, 6);
  EXPECT_EQ(readings[1].timestamp, 5);
}

TEST_F(Recordings, CsvSkipsItsHeaderAndBlankLinesAndAcceptsCrLfAndSpaces) {
  const auto path = write("r.csv",
                          "timestamp,gx,gy,gz,ux,uy,uz\r\n"
                          "0.0, 0, -0.5, -0.8, 0.1, 0.2, 0.3\r\n"
                          "\r\n"
                          "0.01,1e-3,-1,0,-0.1,-0.2,-0.3\n");
  const auto readings = readAll(path);
  ASSERT_EQ(readings.size(), 2u);
  EXPECT_EQ(readings[0].reading.gravity.z, -0.8);
  EXPECT_EQ(readings[0].reading.userAcceleration.z, 0.3);
  EXPECT_EQ(readings[1].timestamp, 0.01);
  EXPECT_EQ(readings[1].reading.gravity.x, 0.001);
  EXPECT_EQ(readings[1].reading.userAcceleration.y, -0.2);
}

// JSON has no NaN; a CSV component may be "nan", a reading the tweak never counts there.
TEST_F(Recordings, CsvComponentsMayBeNotANumber) {
  const auto readings = readAll(write("r.csv", "0,nan,-0.85,-0.5,0,0,NaN\n1, 0, 0, -1, nan , 0, 0\n"));
  ASSERT_EQ(readings.size(), 2u) << "a first line with nan is a reading, not a header";
  EXPECT_TRUE(std::isnan(readings[0].reading.gravity.x));
  EXPECT_TRUE(std::isnan(readings[0].reading.userAcceleration.z));
  EXPECT_EQ(readings[0].reading.gravity.y, -0.85);
  EXPECT_TRUE(std::isnan(readings[1].reading.userAcceleration.x));
}

TEST_F(Recordings, CsvFirstLineOfNumbersIsAReadingNotAHeader) {
  EXPECT_EQ(readAll(write("r.csv", "0,0,0,-1,0,0,0\n1,0,0,-1,0,0,0\n")).size(), 2u);
}

TEST_F(Recordings, AnotherExtensionIsReadByItsFirstCharacter) {
  EXPECT_EQ(readAll(write("a.txt", "\n\n  [" + jsonReading(1, -1, 0) + "]")).size(), 1u);
  EXPECT_EQ(readAll(write("b.txt", "t,gx,gy,gz,ux,uy,uz\n1,0,0,-1,0,0,0\n")).size(), 1u);
}

struct BadInput {
  const char* name;
  std::string contents;
  std::size_t line;
  std::optional<std::size_t> element;
  const char* problem;  // part of the message
};

void expectError(const std::filesystem::path& path, const BadInput& bad) {
  SCOPED_TRACE(bad.name);
  try {
    recordings::scanRecording(path);
    ADD_FAILURE() << "no error";
  } catch (const RecordingError& error) {
    const std::string message = error.what();
    std::string location = path.string() + (bad.line > 0 ? ":" + std::to_string(bad.line) : "") + ": ";
    if (bad.element) location += "element [" + std::to_string(*bad.element) + "]: ";
    EXPECT_EQ(message.rfind(location, 0), 0u) << message;
    EXPECT_NE(message.find(bad.problem), std::string::npos) << message;
    EXPECT_EQ(error.line(), bad.line);
    EXPECT_EQ(error.element(), bad.element);
  }
}

TEST_F(Recordings, BadJsonNamesTheFileLineAndElement) {
  const std::string good = jsonReading(1, -1, 0);
  const std::vector<BadInput> cases = {
      {"empty", "\n", 2, std::nullopt, "empty file"},
      {"not JSON", "timestamp,gx\n", 1, std::nullopt, "not JSON"},
      {"an object", "\n{\"timestamp\": 1}", 2, std::nullopt, "not an array"},
      {"missing field", "[" + good + ",\n\n" + R"({"timestamp":2,"userAcceleration":{"x":0,"y":0,"z":0}})" + "]", 3, 1,
       "missing field \"gravity\""},
      {"missing axis", "[\n" + std::string(R"({"timestamp":2,"gravity":{"x":0,"y":0},"userAcceleration":{"x":0,"y":0,"z":0}})") + "]",
       2, 0, "missing field \"gravity.z\""},
      {"string for number", "[" + std::string(R"({"timestamp":"2","gravity":{"x":0,"y":0,"z":-1},"userAcceleration":{"x":0,"y":0,"z":0}})") + "]",
       1, 0, "\"timestamp\" is not a number"},
      {"null axis", "[" + good + ",\n" + std::string(R"({"timestamp":2,"gravity":{"x":0,"y":0,"z":-1},"userAcceleration":{"x":null,"y":0,"z":0}})") + "]",
       2, 1, "\"userAcceleration.x\" is not a number"},
      {"not finite", "[\n" + std::string(R"({"timestamp":2,"gravity":{"x":0,"y":0,"z":-1e999},"userAcceleration":{"x":0,"y":0,"z":0}})") + "]",
       2, 0, "not finite"},
      {"backwards", "[" + jsonReading(5, -1, 0) + ",\n" + jsonReading(4.5, -1, 0) + "]", 2, 1, "time runs backwards"},
      {"syntax inside element", "[" + good + ",\n{\"timestamp\":\n 2,, \"x\":1}]", 3, 1, "not valid JSON"},
      {"mismatched bracket", "[" + good + ",\n{\"a\":[1}]", 2, 1, "unexpected '}'"},
      {"element not an object", "[" + good + ",\n 7]", 2, 1, "expected an object"},
      {"missing comma", "[" + good + "\n" + good + "]", 2, std::nullopt, "expected ',' or ']'"},
      {"unclosed array", "[" + good + ",\n" + good + "\n", 3, std::nullopt, "not closed"},
      {"ends inside element", "[" + good + ",\n{\"timestamp\": 1", 2, 1, "ends inside this element"},
      {"text after the array", "[" + good + "]\n]", 2, std::nullopt, "after the array"},
      {"nested too deeply", "[" + good + ",\n{\"a\":" + std::string(1100, '[') + std::string(1100, ']') + "}]", 2, 1,
       "nested deeper than 1024 levels"},
      {"too large", "[\n{\"pad\":\"" + std::string(1u << 20, 'x') + "\"}]", 2, 0, "larger than 1048576 bytes"},
  };
  for (const BadInput& bad : cases) expectError(write("bad.json", bad.contents), bad);
}

TEST_F(Recordings, BadCsvNamesTheFileAndLine) {
  const std::string header = "timestamp,gx,gy,gz,ux,uy,uz\n";
  const std::vector<BadInput> cases = {
      {"too few columns", header + "0,0,0,-1,0,0,0\n1,0,0,-1,0,0\n", 3, std::nullopt, "expected 7 columns"},
      {"too many columns", header + "\n0,0,0,-1,0,0,0,9\n", 3, std::nullopt, "got 8"},
      {"not a number", header + "0,0,0,-1,0,abc,0\n", 2, std::nullopt, "column 6 (user acceleration y) is not a number"},
      {"trailing junk", header + "0,0,0,-1x,0,0,0\n", 2, std::nullopt, "column 4 (gravity z) is not a number"},
      {"empty cell", header + "0,0,,-1,0,0,0\n", 2, std::nullopt, "column 3 (gravity y) is empty"},
      {"infinite", header + "0,inf,0,-1,0,0,0\n", 2, std::nullopt, "column 2 (gravity x) is not finite"},
      {"nan timestamp", header + "nan,0,0,-1,0,0,0\n", 2, std::nullopt, "column 1 (timestamp) is not finite"},
      {"overflow", header + "1e999,0,0,-1,0,0,0\n", 2, std::nullopt, "column 1 (timestamp) is not finite"},
      {"backwards", header + "2,0,0,-1,0,0,0\n2,0,0,-1,0,0,0\n1.5,0,0,-1,0,0,0\n", 4, std::nullopt, "time runs backwards"},
  };
  for (const BadInput& bad : cases) expectError(write("bad.csv", bad.contents), bad);
}

// Each of these was once read as a recording without readings.
TEST_F(Recordings, ARecordingWithoutReadingsIsRefused) {
  const std::vector<std::pair<std::string, BadInput>> cases = {
      {"empty.json", {"an empty array", " [ ] \n", 0, std::nullopt, "no readings: the array is empty"}},
      {"empty.csv", {"an empty CSV", "", 0, std::nullopt, "no readings: the file is empty"}},
      {"empty.motion", {"an empty file of another name", "", 0, std::nullopt, "no readings: the file is empty"}},
      {"blank.csv", {"blank lines", "\n  \r\n\t\n", 0, std::nullopt, "no readings: only blank lines"}},
      {"header.csv", {"only a header", "\n timestamp,gx,gy,gz,ux,uy,uz\r\n\n", 0, std::nullopt,
                      "no readings: only a header line, line 2"}},
  };
  for (const auto& [name, bad] : cases) {
    const auto path = write(name, bad.contents);
    expectError(path, bad);
    EXPECT_THROW(readAll(path), RecordingError) << bad.name;
    EXPECT_THROW(recordings::loadRecording(path), RecordingError) << bad.name;
  }
}

std::string jsonAt(const std::string& timestamp) {
  return R"({"timestamp":)" + timestamp + R"(,"gravity":{"x":0,"y":0,"z":-1},"userAcceleration":{"x":0,"y":0,"z":0}})";
}

// Every timestamp is finite, but the span from the first to the last is not a double.
TEST_F(Recordings, ASpanBeyondADoubleIsRefusedAtTheReadingThatMakesIt) {
  expectError(write("span.json", "[" + jsonAt("-1e308") + ",\n" + jsonAt("0") + ",\n" + jsonAt("1e308") + "]"),
              {"json", "", 3, 2, "span is not finite"});
  expectError(write("span.csv", "t,gx,gy,gz,ux,uy,uz\n-1e308,0,0,-1,0,0,0\n1e308,0,0,-1,0,0,0\n"),
              {"csv", "", 3, std::nullopt, "span is not finite"});
  EXPECT_EQ(recordings::scanRecording(write("wide.csv", "-1e307,0,0,-1,0,0,0\n1e308,0,0,-1,0,0,0\n")).seconds(), 1.1e308);
}

// A FIFO without a writer would block in open(2) for ever, /dev/zero would never end.
TEST_F(Recordings, OnlyRegularFilesAreRead) {
  const auto fifo = directory_ / "live.json";
  ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
  for (const std::filesystem::path& path : {fifo, std::filesystem::path("/dev/zero"), directory_}) {
    SCOPED_TRACE(path.string());
    const std::string expected = path.string() + ": not a regular file";
    try {
      recordings::openRecording(path);
      ADD_FAILURE() << "opened";
    } catch (const RecordingError& error) {
      EXPECT_EQ(std::string(error.what()), expected);
    }
    EXPECT_THROW(recordings::scanRecording(path), RecordingError);
    EXPECT_THROW(recordings::loadRecording(path), RecordingError);
  }
}

// The loaded form gives the readings, in order, and the summary that the file's stream gives.
void expectLoadedAsStreamed(const std::filesystem::path& path, const std::vector<hardware::TimedReading>& streamed) {
  SCOPED_TRACE(path.string());
  const auto loaded = std::make_shared<const recordings::LoadedRecording>(recordings::loadRecording(path));
  ASSERT_EQ(loaded->readings.size(), streamed.size());
  auto replay = recordings::streamOf(loaded);
  for (const hardware::TimedReading& expected : streamed) {
    const auto reading = replay->next();
    ASSERT_TRUE(reading);
    // Bit for bit, so that -0.0 stays -0.0.
    EXPECT_EQ(std::memcmp(&*reading, &expected, sizeof expected), 0) << expected.timestamp;
  }
  EXPECT_FALSE(replay->next());
  const auto scanned = recordings::scanRecording(path);
  for (const recordings::RecordingSummary& summary : {loaded->summary, replay->summary()}) {
    EXPECT_EQ(summary.readings, scanned.readings);
    EXPECT_EQ(summary.firstTimestamp, scanned.firstTimestamp);
    EXPECT_EQ(summary.lastTimestamp, scanned.lastTimestamp);
  }
  EXPECT_EQ(scanned.readings, static_cast<long long>(streamed.size()));
}

// Against nlohmann's reading of the same files, field by field.
TEST_F(Recordings, TheSharedRecordingsReadExactlyStreamedAndLoaded) {
  const std::filesystem::path shared = TESSARO_MOTION_RECORDINGS;
  if (!std::filesystem::is_directory(shared)) GTEST_SKIP() << "no shared recordings at " << shared;
  int files = 0;
  for (const auto& entry : std::filesystem::directory_iterator(shared)) {
    if (entry.path().extension() != ".json") continue;
    const auto elements = nlohmann::json::parse(std::ifstream(entry.path()));
    const auto streamed = readAll(entry.path());
    ASSERT_EQ(streamed.size(), elements.size()) << entry.path();
    for (std::size_t i = 0; i < streamed.size(); ++i) {
      const auto& element = elements[i];
      const auto& r = streamed[i];
      ASSERT_EQ(r.timestamp, element["timestamp"].get<double>()) << i;
      ASSERT_EQ(r.reading.gravity.x, element["gravity"]["x"].get<double>()) << i;
      ASSERT_EQ(r.reading.gravity.y, element["gravity"]["y"].get<double>()) << i;
      ASSERT_EQ(r.reading.gravity.z, element["gravity"]["z"].get<double>()) << i;
      ASSERT_EQ(r.reading.userAcceleration.x, element["userAcceleration"]["x"].get<double>()) << i;
      ASSERT_EQ(r.reading.userAcceleration.y, element["userAcceleration"]["y"].get<double>()) << i;
      ASSERT_EQ(r.reading.userAcceleration.z, element["userAcceleration"]["z"].get<double>()) << i;
    }
    expectLoadedAsStreamed(entry.path(), streamed);
    ++files;
  }
  EXPECT_GE(files, 1);
}

// What the fast paths could get wrong: elements cut by the reader's 256 KiB reads at many
// offsets, big elements across several reads, escapes at every offset of a 64-byte block,
// brackets and quotes in strings, deep nesting in skipped fields, CRLF, tiny and signed
// zero numbers.
TEST_F(Recordings, EdgeCasesReadExactlyStreamedAndLoaded) {
  std::string json = "[\r\n";
  std::vector<double> expected;
  auto add = [&](const std::string& extra) {
    const double t = static_cast<double>(expected.size());
    if (!expected.empty()) json += ",\r\n";
    json += R"({"timestamp":)" + std::to_string(expected.size()) + extra +
            R"(,"gravity":{"z":-0.0,"y":1e-320,"x":5e-324},"userAcceleration":{"x":-1.5,"z":1.7976931348623157e308,"y":0}})";
    expected.push_back(t);
  };
  for (int run = 0; run < 130; ++run) {
    // A backslash run of 1 to 3 ending at every offset: odd runs escape the quote after them.
    const int slashes = 1 + run % 3;
    std::string text(static_cast<std::size_t>(run), 'a');
    text += std::string(static_cast<std::size_t>(slashes), '\\') + (slashes % 2 == 1 ? "\"" : "") + "]}[{";
    add(R"(,"note":")" + text + R"(", "list":[{"a":"}"},["]"]])");
  }
  add(R"(,"deep":)" + std::string(1000, '[') + std::string(1000, ']'));
  add(R"(,"deeper":{"a":{"b":[{"c":[[{"d":{}}]]}]}})");
  for (std::size_t size : {std::size_t{200} << 10, std::size_t{300} << 10, std::size_t{1000} << 10}) {
    add(R"(,"pad":")" + std::string(size, 'p') + "\"");
  }
  while (json.size() < (3u << 20)) add(R"(,"pad":")" + std::string(expected.size() % 4099, 'y') + "\"");
  json += "\r\n]\r\n";
  const auto path = write("edge.json", json);
  const auto streamed = readAll(path);
  ASSERT_EQ(streamed.size(), expected.size());
  for (std::size_t i = 0; i < streamed.size(); ++i) {
    const auto& r = streamed[i];
    ASSERT_EQ(r.timestamp, expected[i]) << i;
    ASSERT_TRUE(r.reading.gravity.z == 0 && std::signbit(r.reading.gravity.z)) << i;
    ASSERT_EQ(r.reading.gravity.y, 1e-320) << i;
    ASSERT_EQ(r.reading.gravity.x, 5e-324) << i;
    ASSERT_EQ(r.reading.userAcceleration.x, -1.5) << i;
    ASSERT_EQ(r.reading.userAcceleration.z, 1.7976931348623157e308) << i;
  }
  expectLoadedAsStreamed(path, streamed);

  std::string csv = "timestamp, gx, gy, gz, ux, uy, uz\r\n";
  for (int i = 0; i < 40000; ++i) csv += std::to_string(i) + ", -0.0,1e-320 ,5e-324,\t-1.5,1.7976931348623157e308,0\r\n";
  const auto csvPath = write("edge.csv", csv);
  const auto csvReadings = readAll(csvPath);
  ASSERT_EQ(csvReadings.size(), 40000u);
  EXPECT_EQ(csvReadings.back().timestamp, 39999);
  EXPECT_TRUE(std::signbit(csvReadings.back().reading.gravity.x));
  EXPECT_EQ(csvReadings.back().reading.gravity.y, 1e-320);
  EXPECT_EQ(csvReadings.back().reading.userAcceleration.y, 1.7976931348623157e308);
  expectLoadedAsStreamed(csvPath, csvReadings);
}

// The reader's buffer is sized to the file when it opens it; a file that grows after that is
// still read whole, elements and lines longer than the file first was too.
TEST_F(Recordings, AFileThatGrowsWhileReadIsReadWhole) {
  const std::string pad(300u << 10, 'p');
  const auto json = write("growing.json", "[" + jsonReading(0, -1, 0));
  const auto csv = write("growing.csv", "t,gx,gy,gz,ux,uy,uz\n0,0,0,-1,0,0,0\n");
  auto jsonStream = recordings::openRecording(json);
  auto csvStream = recordings::openRecording(csv);
  {
    std::ofstream out(json, std::ios::app);
    for (int i = 1; i <= 8; ++i) out << ",\n" << jsonReading(i, -1, 0, R"(,"pad":")" + pad + "\"");
    out << "]";
    std::ofstream(csv, std::ios::app) << "1,0,0,-1,0,0," << std::string(60u << 10, '0') << "\n2,0,0,-1,0,0,0\n";
  }
  int readings = 0;
  while (auto reading = jsonStream->next()) EXPECT_EQ(reading->timestamp, readings++);
  EXPECT_EQ(readings, 9);
  readings = 0;
  while (auto reading = csvStream->next()) EXPECT_EQ(reading->timestamp, readings++);
  EXPECT_EQ(readings, 3);
}

TEST_F(Recordings, TheLoadedFormHasALimit) {
  const auto path = write("three.csv", "0,0,0,-1,0,0,0\n1,0,0,-1,0,0,0\n2,0,0,-1,0,0,0\n");
  EXPECT_EQ(recordings::loadRecording(path, 3).readings.size(), 3u);
  try {
    recordings::loadRecording(path, 2);
    FAIL() << "loaded";
  } catch (const RecordingError& error) {
    EXPECT_EQ(std::string(error.what()).rfind(path.string() + ": more than 2 readings", 0), 0u) << error.what();
  }
}

TEST_F(Recordings, AMissingFileFailsOnOpenAndTheErrorIsARuntimeError) {
  try {
    recordings::openRecording(directory_ / "absent.json");
    FAIL() << "opened a missing file";
  } catch (const std::runtime_error& error) {
    EXPECT_NE(std::string(error.what()).find("absent.json: cannot open"), std::string::npos) << error.what();
  }
}

// The reader hands out each reading as soon as its element is read: a bad element megabytes
// further on is met only when the readings before it have all been given out, so it cannot
// be holding the file.
TEST_F(Recordings, JsonIsStreamedAnElementAtATime) {
  const auto path = directory_ / "long.json";
  constexpr int kReadings = 20000;
  {
    std::ofstream out(path);
    out << "[";
    for (int i = 0; i < kReadings; ++i) out << (i > 0 ? ",\n" : "") << jsonReading(i, -1, 0);
    out << ",\n{\"timestamp\": oops}]";
  }
  ASSERT_GT(std::filesystem::file_size(path), 4u << 20);
  auto stream = recordings::openRecording(path);
  for (int i = 0; i < kReadings; ++i) {
    auto reading = stream->next();
    ASSERT_TRUE(reading) << i;
    EXPECT_EQ(reading->timestamp, i);
  }
  try {
    stream->next();
    FAIL() << "the bad element was read";
  } catch (const RecordingError& error) {
    EXPECT_EQ(error.element(), std::optional<std::size_t>(kReadings));
    EXPECT_EQ(error.line(), static_cast<std::size_t>(kReadings + 1));
  }
}

TEST_F(Recordings, AMultiMegabyteRecordingReadsCompletelyAndExactly) {
  const auto path = directory_ / "long.json";
  constexpr int kReadings = 20000;
  {
    std::ofstream out(path);
    out << "[\n";
    for (int i = 0; i < kReadings; ++i) {
      // Escaped quotes and brackets in a string of varying length put element and escape
      // boundaries at every offset of the reader's buffer.
      std::string padding = R"(,"pad":")";
      for (int k = 0; k < i % 50; ++k) padding += R"(\"}])";
      out << (i > 0 ? ",\n" : "") << jsonReading(i * 0.01, -1, (i % 7) * 0.125, padding + "\"");
    }
    out << "\n]\n";
  }
  ASSERT_GT(std::filesystem::file_size(path), 5u << 20);
  auto stream = recordings::openRecording(path);
  int n = 0;
  double accelerationSum = 0;
  while (auto reading = stream->next()) {
    EXPECT_NEAR(reading->timestamp, n * 0.01, 1e-6);
    accelerationSum += reading->reading.userAcceleration.x;
    ++n;
  }
  EXPECT_EQ(n, kReadings);
  double expected = 0;
  for (int i = 0; i < kReadings; ++i) expected += (i % 7) * 0.125;
  EXPECT_DOUBLE_EQ(accelerationSum, expected);
}

}  // namespace
