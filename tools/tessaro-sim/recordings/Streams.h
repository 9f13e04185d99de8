#pragma once
// The two forms' readers over an opened file, from its first byte.

#include "tools/tessaro-sim/recordings/Recording.h"
#include "tools/tessaro-sim/recordings/RecordingFile.h"

#include <cstddef>
#include <memory>

namespace recordings::detail {

// The file's buffer: one JSON element of the largest size allowed, and one read more.
constexpr std::size_t kMaxElementBytes = 1u << 20;
constexpr std::size_t kMaxLineBytes = 64u << 10;
constexpr std::size_t kBufferBytes = kMaxElementBytes + (256u << 10);

std::unique_ptr<RecordingStream> jsonStream(std::unique_ptr<RecordingFile> file);
std::unique_ptr<RecordingStream> csvStream(std::unique_ptr<RecordingFile> file);

}  // namespace recordings::detail
