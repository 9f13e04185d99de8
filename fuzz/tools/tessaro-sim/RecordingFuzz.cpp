// Device-motion recordings from untrusted bytes, read as JSON, as CSV and by their first
// character: every reading comes out, or a RecordingError names the place; nothing else.
// The loaded form must agree with the file's stream: the same readings, or the same error.

#include "tools/tessaro-sim/recordings/LoadedRecording.h"
#include "tools/tessaro-sim/recordings/Recording.h"

#include <unistd.h>

#include <cstddef>
#include <cstdlib>
#include <cstring>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>
#include <vector>

namespace {

const std::filesystem::path& scratch() {
  static const std::filesystem::path directory = [] {
    auto path = std::filesystem::temp_directory_path() / ("tessaro-recording-fuzz-" + std::to_string(::getpid()));
    std::filesystem::create_directories(path);
    return path;
  }();
  return directory;
}

// The readings of the file's stream, or its error's message.
std::string streamed(const std::filesystem::path& file, std::vector<hardware::TimedReading>& readings) {
  try {
    auto stream = recordings::openRecording(file);
    while (auto reading = stream->next()) readings.push_back(*reading);
    return "";
  } catch (const recordings::RecordingError& error) {
    return error.what();
  }
}

void readAll(const std::filesystem::path& file) {
  std::vector<hardware::TimedReading> readings;
  const std::string error = streamed(file, readings);
  try {
    const auto loaded = std::make_shared<const recordings::LoadedRecording>(recordings::loadRecording(file));
    if (!error.empty() || loaded->readings.size() != readings.size()) std::abort();
    auto replay = recordings::streamOf(loaded);
    for (const hardware::TimedReading& expected : readings) {
      const auto reading = replay->next();
      if (!reading || std::memcmp(&*reading, &expected, sizeof expected) != 0) std::abort();
    }
    if (replay->next()) std::abort();
  } catch (const recordings::RecordingError& loadError) {
    if (error != loadError.what()) std::abort();
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  for (const char* name : {"input.json", "input.csv", "input.motion"}) {
    const auto file = scratch() / name;
    std::ofstream(file, std::ios::binary | std::ios::trunc).write(reinterpret_cast<const char*>(data),
                                                                   static_cast<std::streamsize>(size));
    readAll(file);
  }
  return 0;
}
