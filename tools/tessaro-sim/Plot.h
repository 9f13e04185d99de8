#pragma once
// `--plot FILE.png|.svg` (and a scenario's `plot` line): a picture of a run over device
// time, drawn by gnuplot (Debian's gnuplot-nox, its pngcairo and svg terminals) from a
// script and data fed through a pipe. Four panels: gravity, with a mark at each motion
// wake, time-out lighting, lock press and arming of the time-out; user acceleration with
// the thresholds in force and the instants the device sampled; the pose each step stored;
// and the display's state as a strip. The curves are the recording's readings when there
// is one, otherwise the readings the steps saw.
//
// What the run feeds in is spooled to temporary files, so memory does not grow with the
// run. Fails with PlotError: gnuplot not found (looked up in PATH, or TESSARO_GNUPLOT),
// a file name that is neither .png nor .svg, or gnuplot failing.

#include "platform/core/EventLog.h"
#include "tools/tessaro-sim/RunObserver.h"
#include "tools/tessaro-sim/SettingsKeys.h"

#include <cstdio>
#include <filesystem>
#include <functional>
#include <memory>
#include <stdexcept>
#include <string>

namespace hardware {
class ReadingStream;
}

namespace sim {

class PlotError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// The gnuplot program to run, or PlotError when there is none.
std::filesystem::path findGnuplot();
// `text` as a gnuplot string literal.
std::string gnuplotString(const std::string& text);

class PlotRecorder {
 public:
  // Checks the name and finds gnuplot at once, so that a run is not made for nothing.
  explicit PlotRecorder(std::filesystem::path file);
  ~PlotRecorder();
  PlotRecorder(const PlotRecorder&) = delete;
  PlotRecorder& operator=(const PlotRecorder&) = delete;

  void step(const TraceStep& step);
  void event(const core::Event& event);
  // The recording, read again when the picture is drawn, its first reading at `start`.
  void setRecording(std::function<std::unique_ptr<hardware::ReadingStream>()> open, double start,
                    const SettingsExplained& settings);
  void setSettings(const SettingsExplained& settings);
  // Draws the picture of everything up to device time `end`.
  void write(double end);

 private:
  std::filesystem::path file_;
  std::filesystem::path gnuplot_;
  std::FILE* steps_ = nullptr;    // time pose gx gy gz ax ay az
  std::FILE* marks_ = nullptr;    // time kind
  std::FILE* display_ = nullptr;  // time on
  long long stepCount_ = 0;
  int lastDisplay_ = -1;
  std::function<std::unique_ptr<hardware::ReadingStream>()> recording_;
  double recordingStart_ = 0;
  nlohmann::ordered_json motion_;
};

}  // namespace sim
