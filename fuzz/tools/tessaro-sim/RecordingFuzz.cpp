// Device-motion recordings from untrusted bytes, read as JSON, as CSV and by their first
// character: every reading comes out, or a RecordingError names the place; nothing else.

#include "tools/tessaro-sim/recordings/Recording.h"

#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <string>

namespace {

const std::filesystem::path& scratch() {
  static const std::filesystem::path directory = [] {
    auto path = std::filesystem::temp_directory_path() / ("tessaro-recording-fuzz-" + std::to_string(::getpid()));
    std::filesystem::create_directories(path);
    return path;
  }();
  return directory;
}

void readAll(const std::filesystem::path& file) {
  try {
    recordings::scanRecording(file);
  } catch (const recordings::RecordingError&) {
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
