#pragma once
// `tessaro-sim replay`: a recording played to the tweak over the dark lock screen.

#include "platform/plist/PropertyList.h"
#include "tools/tessaro-sim/InputFile.h"
#include "tools/tessaro-sim/RunObserver.h"
#include "tools/tessaro-sim/Timeline.h"
#include "tools/tessaro-sim/recordings/Recording.h"

#include <filesystem>
#include <functional>
#include <memory>
#include <optional>
#include <ostream>

namespace sim {

struct ReplayOptions {
  std::filesystem::path recording;
  plist::Dictionary settings;  // on top of isEnabled YES, or of `settingsFile`
  // A settings file given whole (--settings FILE): the device boots with it in place of
  // isEnabled YES, bytes unchanged unless `settings` changes keys in it.
  std::optional<GivenFile> settingsFile;
  Format format = Format::Text;
  bool realtime = false;
  bool quiet = false;  // no settings header and no progress: the events and the summary
  bool trace = false;  // one "step" line per classification step
  std::filesystem::path traceCsv;  // the same steps as CSV; empty: none
  std::filesystem::path plot;      // a .png or .svg picture of the run; empty: none
  std::filesystem::path root;      // the device root; empty: a fresh temporary one
  // The readings, when the caller has read the recording already (a sweep's cell);
  // otherwise the file is scanned once to check it, then streamed.
  std::function<std::unique_ptr<hardware::ReadingStream>()> readings;
  std::optional<recordings::RecordingSummary> summary;  // with `readings`: theirs
};

struct ReplayResult {
  long long readings = 0;
  double seconds = 0;  // the recording's span
  double endTime = 0;  // device time when the replay ended
  RunCounts counts;
};

// Boots, presses the lock button, replays the recording from its first reading until one
// second after its last, printing the effective settings (unless quiet), each lighting of
// the display (told apart: motion wake, time-out lighting, ...), each lock press of the
// tweak's, the motion time-out being armed and firing, and with `trace` each
// classification step; then a summary. A bad recording throws recordings::RecordingError
// before any output. The run jumps from one piece of due work to the next, so a recording
// with long gaps costs no more than its readings.
ReplayResult replay(const ReplayOptions& options, std::ostream& out, std::ostream& progress, bool showProgress);

// replay(), then the summary line: status 0.
int runReplay(const ReplayOptions& options, std::ostream& out, std::ostream& progress, bool showProgress);

// "3 motion wakes, 0 time-out lightings, ..." as the summary gives it.
std::string describeCounts(const RunCounts& counts);
// The summary's JSON fields, and the counts back from them (a field missing: 0, or none).
nlohmann::ordered_json countsJson(const RunCounts& counts);
RunCounts countsFromJson(const nlohmann::json& json);

}  // namespace sim
