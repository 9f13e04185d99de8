#pragma once
// Running a sweep's cells at about the cost of their replays. A process boots one device
// and forks each cell from it: the cell gets its settings the way the settings editor gives
// them (the settings file rewritten, then "com.brel.tessaro.prefschanged"), and replays its
// recording from the memory it shares with its parent. The cells of one device share its
// files, taking turns at the settings file; a replay reads and writes no other. Settings the tweak reads only while the device starts (see KeyRelevance.h)
// cannot be given that way, so cells that differ in them fork from a device booted with
// their values: one booted device for each combination of those settings.
//
// A cell that crashes, fails, or runs past its time limit is reported as such and the
// others go on; a booted device that dies takes its cells not yet run with it, reported
// as crashed. Stopping the sweep (SIGINT, SIGTERM, SIGHUP) stops every process it started,
// each removing its device's files.
//
// For tests, TESSARO_SWEEP_FAULT="N:crash" or "N:hang" makes cell N (from 1) crash or hang.

#include "tools/tessaro-sim/InputFile.h"
#include "tools/tessaro-sim/SweepTable.h"
#include "tools/tessaro-sim/recordings/LoadedRecording.h"

#include <cstddef>
#include <filesystem>
#include <optional>
#include <map>
#include <memory>
#include <ostream>
#include <string>
#include <vector>

namespace sim {

using LoadedRecordings = std::map<std::filesystem::path, std::shared_ptr<const recordings::LoadedRecording>>;

struct CellRunOptions {
  int jobs = 1;
  double cellSeconds = 600;       // wall-clock limit of a cell
  bool progress = false;          // "sweep: 3 of 12 cells" on `errors`
  std::filesystem::path outputs;  // each cell's `replay --json` output kept there; empty: none
  std::optional<GivenFile> settingsFile;  // --settings FILE, under every cell
};

// "cell-0001.jsonl": the output file of cell `number` (from 1), here and in a plan.
std::string cellOutputName(std::size_t number);

// Runs every cell and fills in its outcome.
void runCells(std::vector<Cell>& cells, const LoadedRecordings& recordings, const CellRunOptions& options,
              std::ostream& errors);

}  // namespace sim
