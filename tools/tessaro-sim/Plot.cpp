#include "tools/tessaro-sim/Plot.h"

#include "platform/hardware/MotionReading.h"

#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <optional>
#include <string>
#include <system_error>

namespace sim {

namespace {

// More readings than this are thinned to every n-th for the picture; the title says so.
constexpr long long kMaxPlottedReadings = 400000;

std::FILE* spool() {
  std::FILE* file = std::tmpfile();
  if (file == nullptr) throw PlotError("cannot make a temporary file for the plot");
  return file;
}

// The datablock `name`, from a spooled file.
void copyBlock(std::FILE* to, const char* name, std::FILE* from) {
  std::fprintf(to, "$%s << EOD\n", name);
  std::rewind(from);
  char buffer[1 << 16];
  std::size_t n = 0;
  while ((n = std::fread(buffer, 1, sizeof buffer, from)) > 0) std::fwrite(buffer, 1, n, to);
  std::fputs("EOD\n", to);
}

// Marks of the timeline, as the plot colours them.
int markKind(const core::Event& event) {
  if (event.kind == "display" && event.text == "on") {
    const std::string lighting = event.fields.value("lighting", "");
    return lighting == "motion wake" ? 1 : lighting == "time-out lighting" ? 2 : lighting == "home-button wake" ? 3 : 4;
  }
  if (event.kind == "button" && event.fields.value("button", "") == "lock") return event.fields.value("simulated", false) ? 5 : 8;
  if (event.kind == "timer.scheduled" && event.fields.value("selector", "") == "disableDetection") return 6;
  if (event.kind == "timer" && event.fields.value("selector", "") == "disableDetection") return 7;
  return 0;
}

}  // namespace

std::string gnuplotString(const std::string& text) {
  std::string out = "\"";
  for (char c : text) {
    if (c == '\n') {
      out += "\\n";
      continue;
    }
    if (c == '"' || c == '\\') out += '\\';
    out += c;
  }
  return out + "\"";
}

std::filesystem::path findGnuplot() {
  if (const char* chosen = std::getenv("TESSARO_GNUPLOT"); chosen != nullptr && chosen[0] != '\0') {
    if (::access(chosen, X_OK) == 0) return chosen;
    throw PlotError(std::string("gnuplot not found at TESSARO_GNUPLOT=") + chosen);
  }
  const char* path = std::getenv("PATH");
  std::string_view rest = path ? path : "";
  while (!rest.empty()) {
    const auto colon = rest.find(':');
    const std::string_view directory = rest.substr(0, colon);
    rest.remove_prefix(colon == std::string_view::npos ? rest.size() : colon + 1);
    if (directory.empty()) continue;
    const std::filesystem::path candidate = std::filesystem::path(directory) / "gnuplot";
    if (::access(candidate.c_str(), X_OK) == 0) return candidate;
  }
  throw PlotError("gnuplot not found in PATH: plots need it (Debian: apt-get install gnuplot-nox)");
}

PlotRecorder::PlotRecorder(std::filesystem::path file) : file_(std::move(file)) {
  const std::string extension = file_.extension().string();
  if (extension != ".png" && extension != ".svg") throw PlotError(file_.string() + ": a plot is a .png or .svg file");
  gnuplot_ = findGnuplot();
  steps_ = spool();
  marks_ = spool();
  display_ = spool();
}

PlotRecorder::~PlotRecorder() {
  for (std::FILE* file : {steps_, marks_, display_}) {
    if (file != nullptr) std::fclose(file);
  }
}

void PlotRecorder::step(const TraceStep& step) {
  ++stepCount_;
  const long long pose = step.pose.value_or(-1);
  std::fprintf(steps_, "%.9g %lld %.6g %.6g %.6g %.6g %.6g %.6g\n", step.time, pose == 5 ? 3 : pose, step.gravity.x,
               step.gravity.y, step.gravity.z, step.userAcceleration.x, step.userAcceleration.y, step.userAcceleration.z);
}

void PlotRecorder::event(const core::Event& event) {
  if (event.kind == "display" && (event.text == "on" || event.text == "off")) {
    lastDisplay_ = event.text == "on" ? 1 : 0;
    std::fprintf(display_, "%.9g %d\n", event.time, lastDisplay_);
  }
  if (const int kind = markKind(event); kind != 0) {
    std::fprintf(marks_, "%.9g %d\n", event.time, kind);
  }
}

void PlotRecorder::setRecording(std::function<std::unique_ptr<hardware::ReadingStream>()> open, double start,
                                const SettingsExplained& settings) {
  recording_ = std::move(open);
  recordingStart_ = start;
  setSettings(settings);
}

void PlotRecorder::setSettings(const SettingsExplained& settings) { motion_ = settings.json.value("motion", nlohmann::ordered_json()); }

void PlotRecorder::write(double end) {
  // The display's state runs on to the end of the picture.
  if (lastDisplay_ >= 0) std::fprintf(display_, "%.9g %d\n", end, lastDisplay_);
  const std::string command = "'" + gnuplot_.string() + "'";
  std::FILE* pipe = ::popen(command.c_str(), "w");
  if (pipe == nullptr) throw PlotError("cannot run " + gnuplot_.string());

  long long every = 1;
  std::string thinned;
  if (recording_) {
    // Spooled first: a recording that fails to read again must not leave half a datablock.
    std::FILE* spooled = spool();
    try {
      auto stream = recording_();
      std::optional<double> first;
      long long n = 0;
      while (auto reading = stream->next()) {
        if (!first) first = reading->timestamp;
        if (n++ % every != 0) continue;
        const auto& r = reading->reading;
        std::fprintf(spooled, "%.9g %.6g %.6g %.6g %.6g %.6g %.6g\n", recordingStart_ + (reading->timestamp - *first),
                     r.gravity.x, r.gravity.y, r.gravity.z, r.userAcceleration.x, r.userAcceleration.y,
                     r.userAcceleration.z);
        // Thinned from here on, once the picture would hold too many points.
        if (n == kMaxPlottedReadings) every = 4;
      }
    } catch (...) {
      std::fclose(spooled);
      ::pclose(pipe);
      throw;
    }
    copyBlock(pipe, "readings", spooled);
    std::fclose(spooled);
    if (every > 1) thinned = ", every 4th reading after the first " + std::to_string(kMaxPlottedReadings);
  }
  copyBlock(pipe, "steps", steps_);
  copyBlock(pipe, "marks", marks_);
  copyBlock(pipe, "display", display_);

  const bool svg = file_.extension() == ".svg";
  std::fprintf(pipe, "set terminal %s size 1400,1000 font 'Sans,10'\n", svg ? "svg dynamic" : "pngcairo");
  std::fprintf(pipe, "set output %s\n", gnuplotString(file_.string()).c_str());
  std::fprintf(pipe, "set multiplot layout 4,1 title %s\n",
               gnuplotString("Tessaro run: " + std::to_string(stepCount_) + " classification steps" + thinned +
                      "\nmarks: green motion wake, orange time-out lighting, blue home-button wake, grey other lighting, "
                      "red the tweak's lock press, black the user's, dark grey time-out armed, pink time-out fired")
                   .c_str());
  std::fprintf(pipe, "set xrange [0:%.9g]\nset grid\nset key outside right top\nset lmargin 10\nset rmargin 22\n", end);
  // Vertical marks in every panel: a dotted line per event, coloured by kind.
  std::fputs(
      "mark_colour(k) = k == 1 ? 0x009e73 : k == 2 ? 0xe69f00 : k == 3 ? 0x56b4e9 : k == 4 ? 0x999999 : "
      "k == 5 ? 0xd55e00 : k == 6 ? 0x666666 : k == 7 ? 0xcc79a7 : 0x000000\n",
      pipe);
  const char* marks = "$marks using 1:(1):(mark_colour($2)) axes x1y2 with impulses lc rgb variable lw 1.5 notitle";
  std::fputs("set y2range [0:1]\nunset y2tics\n", pipe);

  const char* source = recording_ ? "$readings" : "$steps";
  const int g = recording_ ? 2 : 3;  // first gravity column
  const int a = g + 3;               // first user-acceleration column
  std::fprintf(pipe, "set ylabel 'gravity (g)'\nset yrange [-1.1:1.1]\n");
  std::fprintf(pipe,
               "plot %s using 1:%d with lines lc rgb '#0072b2' title 'x', '' using 1:%d with lines lc rgb '#d55e00' title 'y', "
               "'' using 1:%d with lines lc rgb '#009e73' title 'z', %s\n",
               source, g, g + 1, g + 2, marks);

  std::string thresholds;
  if (motion_.contains("anyMotionThreshold") && motion_["anyMotionThreshold"].is_number()) {
    const double t = motion_["anyMotionThreshold"].get<double>();
    thresholds += ", " + std::to_string(t) + " with lines dt 2 lc rgb 'black' title 'any-motion threshold', " +
                  std::to_string(-t) + " with lines dt 2 lc rgb 'black' notitle";
  }
  if (motion_.contains("steadyThreshold") && motion_["steadyThreshold"].is_number()) {
    const double t = motion_["steadyThreshold"].get<double>();
    thresholds += ", " + std::to_string(t) + " with lines dt 3 lc rgb '#666666' title 'steady below', " +
                  std::to_string(-t) + " with lines dt 3 lc rgb '#666666' notitle";
  }
  std::fprintf(pipe, "set ylabel 'user acceleration (g)'\nset autoscale y\n");
  std::fprintf(pipe,
               "plot %s using 1:%d with lines lc rgb '#0072b2' title 'x', '' using 1:%d with lines lc rgb '#d55e00' title 'y', "
               "'' using 1:%d with lines lc rgb '#009e73' title 'z', $steps using 1:(0) with points pt 1 ps 0.3 lc rgb "
               "'black' title 'sampled'%s, %s\n",
               source, a, a + 1, a + 2, thresholds.c_str(), marks);

  std::fputs(
      "set ylabel 'pose stored'\nset yrange [-0.5:3.5]\n"
      "set ytics ('raised' 0, 'face up' 1, 'face down' 2, 'none' 3)\n"
      "pose_colour(p) = p == 0 ? 0x009e73 : p == 1 ? 0x0072b2 : p == 2 ? 0xd55e00 : 0x999999\n",
      pipe);
  std::fprintf(pipe, "plot $steps using 1:2:(pose_colour($2)) with points pt 5 ps 0.5 lc rgb variable notitle, %s\n", marks);

  std::fputs(
      "set ylabel 'display'\nset yrange [-0.2:1.2]\nset ytics ('off' 0, 'on' 1)\nset xlabel 'device time (s)'\n"
      "plot $display using 1:2 with steps lw 2 lc rgb '#e69f00' notitle, ",
      pipe);
  std::fprintf(pipe, "%s\nunset multiplot\nset output\n", marks);
  const int status = ::pclose(pipe);
  if (status != 0) throw PlotError(file_.string() + ": gnuplot failed (status " + std::to_string(status) + ")");
}

}  // namespace sim
