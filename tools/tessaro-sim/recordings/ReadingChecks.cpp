#include "tools/tessaro-sim/recordings/ReadingChecks.h"

#include <nlohmann/json.hpp>

namespace recordings::detail {

std::string ReadingChecks::number(double value) { return nlohmann::json(value).dump(); }

void ReadingChecks::backwards(double timestamp, std::size_t line, std::optional<std::size_t> element) const {
  throw RecordingError(file_, line, element,
                       "time runs backwards: timestamp " + number(timestamp) + " comes after " +
                           number(summary_.lastTimestamp));
}

void ReadingChecks::tooLong(double timestamp, std::size_t line, std::optional<std::size_t> element) const {
  throw RecordingError(file_, line, element,
                       "the recording's span is not finite: timestamp " + number(timestamp) + " is too far after " +
                           number(summary_.firstTimestamp));
}

}  // namespace recordings::detail
