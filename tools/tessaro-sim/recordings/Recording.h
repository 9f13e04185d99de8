#pragma once
// Device-motion recordings, read lazily one reading at a time so that memory stays flat
// however long the recording is. Two forms:
//   JSON, as ResearchKit's device-motion recorder writes it: an array of objects with
//     "timestamp" (s), "gravity" and "userAcceleration" ({"x","y","z"} in g); other
//     fields are ignored: their structure must be JSON, their values are not looked at.
//   CSV: a header line, then "timestamp, gravity x, y, z, user acceleration x, y, z".
// ".json" and ".csv" files are read as such; any other name is read as JSON when its
// first non-blank character is '[' or '{', as CSV otherwise.
// Only regular files are read (a FIFO or a device is refused before it is read). A
// recording has at least one reading, timestamps that never go backwards and a finite span
// from its first to its last; anything else is a RecordingError.
// For a recording held in memory, read once and replayed many times, see LoadedRecording.h.

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

struct RecordingSummary {
  long long readings = 0;
  double firstTimestamp = 0;
  double lastTimestamp = 0;
  double seconds() const { return lastTimestamp - firstTimestamp; }
};

// A recording being read. Its summary grows with each reading given out; once next() has
// answered none, it is the whole recording's, checked as scanRecording checks it, so one
// pass can both replay and summarize.
class RecordingStream : public hardware::ReadingStream {
 public:
  virtual RecordingSummary summary() const = 0;
};

// Opens the recording; its readings come as next() is called. Throws RecordingError when
// the file cannot be opened, and later from next() at the first bad reading (or at the
// end, for a recording without readings).
std::unique_ptr<RecordingStream> openRecording(const std::filesystem::path& file);

// Reads the whole recording once, in constant memory: a bad file throws here, before
// anything is replayed.
RecordingSummary scanRecording(const std::filesystem::path& file);

}  // namespace recordings
