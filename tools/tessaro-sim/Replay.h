#pragma once
// `tessaro-sim replay`: a recording played to the tweak over the dark lock screen.

#include "platform/plist/PropertyList.h"
#include "tools/tessaro-sim/Timeline.h"

#include <filesystem>
#include <ostream>

namespace sim {

struct ReplayOptions {
  std::filesystem::path recording;
  plist::Dictionary settings;  // on top of isEnabled YES
  Format format = Format::Text;
  bool realtime = false;
};

// Boots, presses the lock button, replays the recording from its first reading until its
// last has been reached and one second more, printing each wake, each later lock press and
// each detection time-out, then a summary. The recording is read through once before the
// device boots, so a bad one throws recordings::RecordingError before any output.
int runReplay(const ReplayOptions& options, std::ostream& out, std::ostream& progress, bool showProgress);

}  // namespace sim
