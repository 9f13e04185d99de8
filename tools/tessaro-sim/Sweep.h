#pragma once
// `tessaro-sim sweep`: every combination of a grid of settings against every recording, and
// which combination did best by the recordings' labels. Each recording is read and checked
// once, in this process, into memory that the cells share; the cells run as SweepCells.h
// says, each replaying as `tessaro-sim replay` would with the same settings; the answer is
// printed as SweepTable.h says.
//
// `--plan` prints the cells instead, one JSON line each with a complete
// `tessaro-sim replay ... --json` command, for a batch engine to run anywhere; `--merge`
// reads those commands' outputs back into the same answer.

#include "platform/plist/PropertyList.h"
#include "tools/tessaro-sim/InputFile.h"
#include "tools/tessaro-sim/Labels.h"
#include "tools/tessaro-sim/RunObserver.h"
#include "tools/tessaro-sim/SweepTable.h"

#include <filesystem>
#include <optional>
#include <ostream>
#include <string>
#include <vector>

namespace sim {

struct GridAxis {
  std::string key;
  std::vector<plist::Value> values;
};

// Where the labels come from, matched to the recordings once they are known.
struct LabelSources {
  std::vector<Label> fromFile;
  std::filesystem::path base;  // the labels file's directory
  std::vector<Label> fromWords;
  bool given() const { return !fromFile.empty() || !fromWords.empty() || !base.empty(); }
};

// The labels of `--labels FILE` (none when `file` is empty) and the RECORDING:wake and
// RECORDING:no-wake words among `arguments`, which keeps the rest; a word that names an
// existing file stays a file. Throws LabelError for a labels file that does not read.
LabelSources labelSources(const std::string& file, std::vector<std::string>& arguments);

// What a sweep or a merge answers with, besides the table's form.
struct AnswerOptions {
  SweepOutput output = SweepOutput::Text;
  LabelSources labels;
  bool rank = false;                  // settings rows best first; needs labels
  std::filesystem::path plot;         // a .png or .svg of the errors over the grid; needs labels
  std::vector<std::string> plotKeys;  // the one or two keys drawn; empty: the first two that vary
};

struct SweepOptions {
  std::vector<std::filesystem::path> recordings;
  std::vector<GridAxis> grid;  // in the order given; the first varies slowest
  plist::Dictionary settings;  // --set, under every cell
  std::optional<GivenFile> settingsFile;  // --settings FILE, under every cell
  int jobs = 1;
  double cellSeconds = 600;       // wall-clock limit of a cell
  bool progress = false;          // "cells 3 of 12" on stderr
  std::filesystem::path outputs;  // each cell's `replay --json` output kept there; empty: none
  AnswerOptions answer;
};

// "KEY=V1,V2,..." as a grid axis; nullopt with `problem` filled in.
std::optional<GridAxis> parseGridAxis(const std::string& text, std::string& problem);

// The cells, recording by recording, then the grid in order.
std::vector<Cell> planCells(const SweepOptions& options);

// Runs every cell and prints the answer: 0 when every cell ran, 1 when one crashed, failed
// or timed out. Before any cell runs: a recording that cannot be read throws
// recordings::RecordingError, labels that do not fit the recordings LabelError, a plot that
// cannot be drawn (no gnuplot, no labels, keys that are not in the grid) PlotError; a grid
// key that can change none of the cells is warned of on `errors`.
int runSweep(const SweepOptions& options, std::ostream& out, std::ostream& errors);

// One JSON line a cell: {"cell", "recording", "settings", "output", "argv", "command"}.
void printPlan(const SweepOptions& options, const std::string& program, std::ostream& out);

// Reads `tessaro-sim replay --json` outputs and prints their answer as runSweep would. A
// file without a settings line and a summary line counts as a failed cell naming it; a
// file that is not such an output at all is bad input (status 2).
int mergeCells(const std::vector<std::filesystem::path>& files, const AnswerOptions& options, std::ostream& out,
               std::ostream& errors);

}  // namespace sim
