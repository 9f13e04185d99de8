#pragma once
// Device-motion recordings, read lazily one reading at a time so that memory stays flat
// however long the recording is. Two forms:
//   JSON, as ResearchKit's device-motion recorder writes it: an array of objects with
//     "timestamp" (s), "gravity" and "userAcceleration" ({"x","y","z"} in g); other
//     fields are ignored.
//   CSV: a header line, then "timestamp, gravity x, y, z, user acceleration x, y, z".
// ".json" and ".csv" files are read as such; any other name is read as JSON when its
// first non-blank character is '[' or '{', as CSV otherwise.

#include "platform/hardware/MotionWorld.h"

#include <cstddef>
#include <filesystem>
#include <memory>
#include <optional>
#include <stdexcept>
#include <string>

namespace recordings {

// A recording that cannot be read. what() is the whole message, starting "FILE:LINE: "
// (or "FILE: " when no line applies); the parts stay available for tools and tests.
class RecordingError : public std::runtime_error {
 public:
  RecordingError(std::filesystem::path file, std::size_t line, std::optional<std::size_t> element,
                 const std::string& problem);

  const std::filesystem::path& file() const { return file_; }
  std::size_t line() const { return line_; }                      // 0: none
  std::optional<std::size_t> element() const { return element_; }  // JSON: index in the array
  const std::string& problem() const { return problem_; }

 private:
  std::filesystem::path file_;
  std::size_t line_;
  std::optional<std::size_t> element_;
  std::string problem_;
};

// Opens the recording; its readings come as next() is called. Throws RecordingError when
// the file cannot be opened, and later from next() at the first bad reading.
std::unique_ptr<hardware::ReadingStream> openRecording(const std::filesystem::path& file);

struct RecordingSummary {
  long long readings = 0;
  double firstTimestamp = 0;
  double lastTimestamp = 0;
  double seconds() const { return lastTimestamp - firstTimestamp; }
};

// Reads the whole recording once, in constant memory: a bad file throws here, before
// anything is replayed.
RecordingSummary scanRecording(const std::filesystem::path& file);

}  // namespace recordings
