#pragma once
// `tessaro-sim replay`: a recording played to the tweak over the dark lock screen.
//
// The recording is read once, as it plays: its first reading is read before anything is
// printed (a file that cannot be opened, or holds no reading, fails with no output at all),
// and a bad reading further on stops the run there with recordings::RecordingError, the
// lines printed so far kept and no summary printed. Memory stays flat however long the
// recording is.

#include "platform/device/Device.h"
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
  // A settings file taken as given (--settings FILE): its bytes go in unchanged, or, with
  // `settings` on top, the dictionary it holds is rewritten as an editor would.
  std::optional<GivenFile> settingsFile;
  Format format = Format::Text;
  bool realtime = false;
  bool quiet = false;  // no settings header and no progress: the events and the summary
  bool trace = false;  // one "step" line per classification step
  std::filesystem::path traceCsv;  // the same steps as CSV; empty: none
  std::filesystem::path plot;      // a .png or .svg picture of the run; empty: none
  std::filesystem::path root;      // the device root; empty: a fresh temporary one
  // The readings, when the caller has read the recording already (a sweep's cell);
  // otherwise the file is streamed.
  std::function<std::unique_ptr<hardware::ReadingStream>()> readings;
};

struct ReplayResult {
  long long readings = 0;
  double seconds = 0;  // the recording's span
  double endTime = 0;  // device time when the replay ended
  RunCounts counts;
};

// The settings file a replay's device has: `given` over isEnabled YES; or a file given
// whole, its bytes as they are; or, with `given` over it, the dictionary it holds.
struct ReplaySettings {
  std::optional<std::string> bytes;  // the file, unchanged; none: `dictionary` is written
  plist::Dictionary dictionary;      // what the tweak reads
  std::string description;           // for the header: "isEnabled YES, wakeMode 1", "F as given (N bytes)", ...
};
// Throws ScenarioError when `given` would go over a file that holds no dictionary.
ReplaySettings replaySettingsFile(const plist::Dictionary& given, const std::optional<GivenFile>& file = std::nullopt);

// A device booted for one replay. Booting is most of a short replay's cost, so a sweep
// boots one and forks it for each cell, giving each cell its settings as the settings
// editor gives them to a running device (giveSettings). One a process, as every device.
class ReplayDevice {
 public:
  // Boots with `settingsFile` as the settings file, on a fresh temporary root when `root`
  // is empty.
  explicit ReplayDevice(const ReplaySettings& settingsFile, const std::filesystem::path& root = {},
                        bool realtime = false);
  ReplayDevice(const ReplayDevice&) = delete;
  ReplayDevice& operator=(const ReplayDevice&) = delete;

  // The settings editor's way: the settings file rewritten whole, then
  // "com.brel.tessaro.prefschanged" posted and delivered. Settings the tweak reads only
  // while the device starts keep their values from the boot.
  void giveSettings(const ReplaySettings& settingsFile);

  // Presses the lock button, replays the recording from its first reading until one second
  // after its last, printing the effective settings (unless quiet), each lighting of the
  // display (told apart: motion wake, time-out lighting, ...), each lock press of the
  // tweak's, the motion time-out being armed and firing, and with `trace` each
  // classification step; then a summary. Jumps from one piece of due work to the next, so
  // a recording with long gaps costs no more than its readings. Once a device.
  ReplayResult run(const ReplayOptions& options, std::ostream& out, std::ostream& progress, bool showProgress);

 private:
  device::Device device_;
};

// Boots a device with the options' settings and runs the replay on it. A plot or trace
// file that cannot be made, and a recording that cannot be opened or has no reading, fail
// before anything is printed.
ReplayResult replay(const ReplayOptions& options, std::ostream& out, std::ostream& progress, bool showProgress);

// replay(), then the summary line: status 0.
int runReplay(const ReplayOptions& options, std::ostream& out, std::ostream& progress, bool showProgress);

// "3 motion wakes, 0 time-out lightings, ..." as the summary gives it.
std::string describeCounts(const RunCounts& counts);
// The summary's JSON fields, and the counts back from them (a field missing: 0, or none).
nlohmann::ordered_json countsJson(const RunCounts& counts);
RunCounts countsFromJson(const nlohmann::json& json);

}  // namespace sim
