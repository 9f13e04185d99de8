#pragma once
// A sweep's answer: the table of its cells (a recording under one combination of settings)
// and its settings rows (the cells of one combination, over every recording), as text, JSON
// lines or CSV. The same whether the cells ran here or elsewhere (`--merge`).
//
// With labels (see Labels.h) each cell gets a verdict and each settings row says how many
// `wake` recordings it woke as it should, its missed wakes (a `wake` recording not woken
// by motion, or woken after its `by`), its false wakes (a `no-wake` recording woken by
// motion; time-out lightings are not wakes) and the median and largest time to the first
// motion wake over the `wake` recordings it woke. Rows are ranked by their errors (missed
// plus false wakes), then by those times; a row with a cell that did not run has no rank.
// The text and JSON end with the best row as the `--set` options that give it.

#include "platform/plist/PropertyList.h"
#include "tools/tessaro-sim/Labels.h"
#include "tools/tessaro-sim/RunObserver.h"

#include <cstddef>
#include <filesystem>
#include <map>
#include <optional>
#include <ostream>
#include <string>
#include <string_view>
#include <vector>

namespace sim {

enum class SweepOutput { Text, Json, Csv };

struct Cell {
  std::filesystem::path recording;
  plist::Dictionary settings;    // every given setting of the cell: the --set options that give it
  plist::Dictionary gridValues;  // the grid's values for this cell (merged cells: every given setting)
  enum class Status { Ok, Crashed, TimedOut, Failed } status = Status::Ok;
  std::string problem;  // why not ok
  long long readings = 0;
  double endTime = 0;
  RunCounts counts;
};

// "ok", "crashed", "timed out", "failed", and back.
const char* statusName(Cell::Status status);
std::optional<Cell::Status> statusNamed(std::string_view name);

// "wakeGestureMode=0 wakeMode=1", or "(defaults)".
std::string settingsText(const plist::Dictionary& values);

using Labels = std::map<std::string, Expectation>;  // by the recording as given

enum class Verdict { Woke, Missed, Late, FalseWake, StayedDark, DidNotRun };
Verdict verdictOf(const Cell& cell, const Expectation& expect);
const char* verdictName(Verdict verdict);

struct SettingsRow {
  plist::Dictionary values;    // of the keys that vary between cells
  plist::Dictionary settings;  // every given setting of its cells
  std::vector<std::size_t> cells;
  long long ran = 0, woken = 0, motionWakes = 0, timeoutLightings = 0, homeButtonWakes = 0, lockPresses = 0;
  // With labels.
  long long wakesExpected = 0, wokeAsExpected = 0, missedWakes = 0, falseWakes = 0;
  std::optional<double> medianTimeToWake, maxTimeToWake;
  int rank = 0;  // 1 is best; 0: unranked (no labels, or a cell did not run)

  long long errors() const { return missedWakes + falseWakes; }
  bool complete() const { return ran == static_cast<long long>(cells.size()); }
};

struct SweepTable {
  std::vector<std::string> keys;  // the grid keys whose values differ between cells
  std::vector<SettingsRow> rows;  // in the order their settings first appear
  std::vector<std::size_t> best;  // rows best first: ranked ones by rank, then the rest
  bool labelled = false;
};

// The grid keys whose values differ between cells (all of them when none do), in order.
std::vector<std::string> varyingKeys(const std::vector<Cell>& cells);

// The rows of the cells, ranked when there are labels (one for every cell's recording).
SweepTable tabulate(const std::vector<Cell>& cells, const Labels* labels);

struct TableOptions {
  SweepOutput output = SweepOutput::Text;
  const Labels* labels = nullptr;
  bool rank = false;  // settings rows (in CSV, the cells by their row) best first
};

// The table of cells and the settings rows.
void printTable(const std::vector<Cell>& cells, const TableOptions& options, std::ostream& out);

// A setting as `--set` takes it back (a string quoted), and a word as a shell takes it.
std::string setArgument(const std::string& key, const plist::Value& value);
std::string shellWord(const std::string& word);
// "--set a=1 --set b=YES", ready for a shell.
std::string setOptions(const plist::Dictionary& settings);

}  // namespace sim
