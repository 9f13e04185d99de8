#pragma once
// One element of a JSON recording read the careful way, through nlohmann's parser: used when
// the fast path (simdjson) cannot make a reading of it, so that a bad element is described
// with the file, its line and index and what is wrong, exactly as it always was, and an
// unusual but valid one (a key written with escapes) is still read.

#include "platform/hardware/MotionReading.h"

#include <cstddef>
#include <filesystem>
#include <string_view>

namespace recordings::detail {

// `text` is one whole object, starting on `line`. Throws RecordingError when it is no reading.
hardware::TimedReading readElementCarefully(std::string_view text, const std::filesystem::path& file, std::size_t line,
                                            std::size_t index);

}  // namespace recordings::detail
