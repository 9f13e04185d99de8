#pragma once
// `--trace-csv FILE`: the classification steps of a run as CSV, one row a step, for a
// user's own tools. Columns: time (device s), has_reading, gravity x/y/z, user acceleration
// x/y/z (g), pose (motionType, empty when unknown), pose_name, rolling x/y/z (g), decision.
// Numbers are written to round-trip exactly. A file that cannot be written throws
// std::runtime_error naming it, at the start or at finish().

#include "tools/tessaro-sim/RunObserver.h"

#include <filesystem>
#include <fstream>

namespace sim {

class TraceCsv {
 public:
  explicit TraceCsv(const std::filesystem::path& file);
  void write(const TraceStep& step);
  void finish();

 private:
  std::filesystem::path file_;
  std::ofstream out_;
};

}  // namespace sim
