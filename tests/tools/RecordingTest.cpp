#include "tools/tessaro-sim/recordings/Recording.h"

#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <cmath>
#include <fstream>
#include <string>
#include <thread>
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

TEST_F(Recordings, JsonEmptyArrayHasNoReadings) {
  EXPECT_TRUE(readAll(write("empty.json", " [ ] \n")).empty());
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
    std::string location = path.string() + ":" + std::to_string(bad.line) + ": ";
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
      {"nan", header + "0,nan,0,-1,0,0,0\n", 2, std::nullopt, "column 2 (gravity x) is not finite"},
      {"overflow", header + "1e999,0,0,-1,0,0,0\n", 2, std::nullopt, "column 1 (timestamp) is not finite"},
      {"backwards", header + "2,0,0,-1,0,0,0\n2,0,0,-1,0,0,0\n1.5,0,0,-1,0,0,0\n", 4, std::nullopt, "time runs backwards"},
  };
  for (const BadInput& bad : cases) expectError(write("bad.csv", bad.contents), bad);
}

TEST_F(Recordings, AMissingFileFailsOnOpenAndTheErrorIsARuntimeError) {
  try {
    recordings::openRecording(directory_ / "absent.json");
    FAIL() << "opened a missing file";
  } catch (const std::runtime_error& error) {
    EXPECT_NE(std::string(error.what()).find("absent.json: cannot open"), std::string::npos) << error.what();
  }
}

// The reader hands out each reading as soon as its element is complete: fed through a pipe
// one element at a time, it never waits for the next one, so it cannot be holding the file.
TEST_F(Recordings, JsonIsStreamedAnElementAtATime) {
  const auto fifo = directory_ / "live.json";
  ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
  constexpr int kReadings = 50;
  std::atomic<int> consumed{0};
  std::atomic<bool> stalled{false};
  std::thread writer([&] {
    std::ofstream out(fifo);
    out << "[" << std::flush;
    for (int i = 0; i < kReadings; ++i) {
      out << (i > 0 ? "," : "") << jsonReading(i, -1, 0) << std::flush;
      // The next element is written only once the reader has given out this one; a reader
      // that waits for more gets the rest after a while, and the test fails instead of hanging.
      const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(5);
      while (consumed.load() < i + 1 && !stalled) {
        if (std::chrono::steady_clock::now() > deadline) stalled = true;
        std::this_thread::yield();
      }
    }
    out << "]" << std::flush;
  });
  auto stream = recordings::openRecording(fifo);
  for (int i = 0; i < kReadings; ++i) {
    auto reading = stream->next();
    ASSERT_TRUE(reading) << i;
    EXPECT_EQ(reading->timestamp, i);
    consumed.store(i + 1);
  }
  EXPECT_FALSE(stream->next());
  writer.join();
  EXPECT_FALSE(stalled) << "the reader waited for elements after the one it was giving out";
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
