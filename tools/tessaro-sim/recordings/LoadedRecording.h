#pragma once
// A recording read and checked once into memory, to be replayed many times without the
// file: the sweep loads each recording in its parent and forks cells that share it.
// It takes memory in proportion to its readings, 56 bytes each (the seven doubles of a
// hardware::TimedReading, nothing allocated per reading): 56 MB for a million. Recordings
// of more than kMaxLoadedReadings are refused; replay those from the file (openRecording).

#include "platform/hardware/MotionReading.h"
#include "tools/tessaro-sim/recordings/Recording.h"

#include <filesystem>
#include <memory>
#include <vector>

namespace recordings {

static_assert(sizeof(hardware::TimedReading) == 56, "a loaded reading is seven doubles");

// 2.8 GB of readings.
constexpr long long kMaxLoadedReadings = 50'000'000;

struct LoadedRecording {
  std::filesystem::path file;
  std::vector<hardware::TimedReading> readings;
  RecordingSummary summary;
};

// Reads the recording once, with every check of scanRecording. Throws RecordingError as it
// does, and when the recording has more than `limit` readings.
LoadedRecording loadRecording(const std::filesystem::path& file, long long limit = kMaxLoadedReadings);

// The loaded readings in order, as openRecording would give them; shares the recording.
std::unique_ptr<RecordingStream> streamOf(std::shared_ptr<const LoadedRecording> recording);

}  // namespace recordings
