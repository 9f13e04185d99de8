#include "tools/tessaro-sim/TraceCsv.h"

#include <charconv>
#include <stdexcept>

namespace sim {

namespace {

void number(std::ofstream& out, double value) {
  char text[32];
  const auto result = std::to_chars(text, text + sizeof text, value);
  out.write(text, result.ptr - text);
}

void vector(std::ofstream& out, const hardware::Vector3& v) {
  number(out, v.x);
  out << ',';
  number(out, v.y);
  out << ',';
  number(out, v.z);
}

}  // namespace

TraceCsv::TraceCsv(const std::filesystem::path& file) : file_(file), out_(file, std::ios::binary | std::ios::trunc) {
  if (!out_) throw std::runtime_error(file.string() + ": cannot write the trace");
  out_ << "time,has_reading,gravity_x,gravity_y,gravity_z,user_acceleration_x,user_acceleration_y,user_acceleration_z,"
          "pose,pose_name,rolling_x,rolling_y,rolling_z,decision\n";
}

void TraceCsv::write(const TraceStep& step) {
  number(out_, step.time);
  out_ << ',' << (step.hasReading ? 1 : 0) << ',';
  vector(out_, step.gravity);
  out_ << ',';
  vector(out_, step.userAcceleration);
  out_ << ',';
  if (step.pose) out_ << *step.pose << ',' << poseName(*step.pose);
  else out_ << ',';
  out_ << ',';
  if (step.rolling) vector(out_, *step.rolling);
  else out_ << ",,";
  out_ << ',' << step.decision << '\n';
}

void TraceCsv::finish() {
  out_.flush();
  out_.close();
  if (out_.fail()) throw std::runtime_error(file_.string() + ": cannot write the trace");
}

}  // namespace sim
