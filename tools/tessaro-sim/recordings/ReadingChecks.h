#pragma once
// What every reader checks of the readings it gives out, whatever the form: time never runs
// backwards, the span from the first to the latest timestamp is a finite number of seconds
// (each timestamp finite is not enough: -1e308 to 1e308 overflows), and a recording that
// ends without a reading is refused. Keeps the summary as it goes.

#include "tools/tessaro-sim/recordings/Recording.h"

#include <cmath>
#include <cstddef>
#include <filesystem>
#include <optional>
#include <string>

namespace recordings::detail {

class ReadingChecks {
 public:
  explicit ReadingChecks(const std::filesystem::path& file) : file_(file) {}

  // Takes in the next reading's timestamp (finite); throws RecordingError at that reading.
  void accept(double timestamp, std::size_t line, std::optional<std::size_t> element) {
    if (summary_.readings == 0) {
      summary_.firstTimestamp = timestamp;
    } else if (timestamp < summary_.lastTimestamp) {
      backwards(timestamp, line, element);
    } else if (!std::isfinite(timestamp - summary_.firstTimestamp)) {
      tooLong(timestamp, line, element);
    }
    summary_.lastTimestamp = timestamp;
    ++summary_.readings;
  }

  // At the end of the recording; `why` says what the file held instead.
  void finish(const std::string& why) const {
    if (summary_.readings == 0) throw RecordingError(file_, 0, std::nullopt, "no readings: " + why);
  }

  const RecordingSummary& summary() const { return summary_; }

  // A timestamp in messages, as JSON writes it.
  static std::string number(double value);

 private:
  [[noreturn]] void backwards(double timestamp, std::size_t line, std::optional<std::size_t> element) const;
  [[noreturn]] void tooLong(double timestamp, std::size_t line, std::optional<std::size_t> element) const;

  const std::filesystem::path& file_;
  RecordingSummary summary_;
};

}  // namespace recordings::detail
