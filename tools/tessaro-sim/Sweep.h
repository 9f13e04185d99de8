#pragma once
// `tessaro-sim sweep`: every combination of a grid of settings against every recording,
// each cell a replay on a fresh device in a process of its own (the runtime allows one
// device a process). Each recording is read and checked once, in this process, into
// memory that the cells share by being forked after the read. A cell that crashes, fails
// or runs past its time limit is reported as such and the sweep goes on.
//
// `--plan` prints the cells instead, one JSON line each with a complete
// `tessaro-sim replay ... --json` command, for a batch engine to run anywhere; `--merge`
// reads those commands' outputs back into the same table.
//
// For tests, TESSARO_SWEEP_FAULT="N:crash" or "N:hang" makes cell N (from 1) crash or hang.

#include "platform/plist/PropertyList.h"
#include "tools/tessaro-sim/InputFile.h"
#include "tools/tessaro-sim/RunObserver.h"

#include <filesystem>
#include <optional>
#include <ostream>
#include <string>
#include <utility>
#include <vector>

namespace sim {

enum class SweepOutput { Text, Json, Csv };

struct GridAxis {
  std::string key;
  std::vector<plist::Value> values;
};

struct SweepOptions {
  std::vector<std::filesystem::path> recordings;
  std::vector<GridAxis> grid;  // in the order given; the first varies slowest
  plist::Dictionary settings;  // --set, under every cell
  std::optional<GivenFile> settingsFile;  // --settings FILE, under every cell
  int jobs = 1;
  double cellSeconds = 600;  // wall-clock limit of a cell
  SweepOutput output = SweepOutput::Text;
  bool progress = false;     // "cells 3 of 12" on stderr
};

struct Cell {
  std::filesystem::path recording;
  plist::Dictionary settings;  // the grid's values for this cell, over SweepOptions::settings
  plist::Dictionary gridValues;
  enum class Status { Ok, Crashed, TimedOut, Failed } status = Status::Ok;
  std::string problem;  // why not ok
  long long readings = 0;
  double endTime = 0;
  RunCounts counts;
};

// "KEY=V1,V2,..." as a grid axis; nullopt with `problem` filled in.
std::optional<GridAxis> parseGridAxis(const std::string& text, std::string& problem);

// The cells, recording by recording, then the grid in order.
std::vector<Cell> planCells(const SweepOptions& options);

// Runs every cell and prints the table: 0 when every cell ran, 1 when one crashed, failed
// or timed out. A recording that cannot be read throws recordings::RecordingError before
// any cell runs.
int runSweep(const SweepOptions& options, std::ostream& out, std::ostream& errors);

// One JSON line a cell: {"cell", "recording", "settings", "output", "argv", "command"}.
void printPlan(const SweepOptions& options, const std::string& program, std::ostream& out);

// Reads `tessaro-sim replay --json` outputs and prints their table as runSweep would. A
// file without a settings line and a summary line counts as a failed cell naming it.
int mergeCells(const std::vector<std::filesystem::path>& files, SweepOutput output, std::ostream& out,
               std::ostream& errors);

// The table of cells and the totals per settings.
void printTable(const std::vector<Cell>& cells, SweepOutput output, std::ostream& out);

}  // namespace sim
