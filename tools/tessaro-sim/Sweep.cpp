#include "tools/tessaro-sim/Sweep.h"

#include "tools/tessaro-sim/KeyRelevance.h"
#include "tools/tessaro-sim/Replay.h"
#include "tools/tessaro-sim/Scenario.h"
#include "tools/tessaro-sim/SweepCells.h"
#include "tools/tessaro-sim/SweepPlot.h"
#include "tools/tessaro-sim/recordings/LoadedRecording.h"

#include <nlohmann/json.hpp>

#include <algorithm>
#include <fstream>

namespace sim {

namespace {

std::vector<std::string> recordingsOf(const std::vector<Cell>& cells) {
  std::vector<std::string> names;
  for (const Cell& cell : cells) names.push_back(cell.recording.string());
  return names;
}

std::optional<Labels> matchedLabels(const AnswerOptions& options, const std::vector<std::string>& recordings) {
  if (!options.labels.given()) {
    if (options.rank) throw LabelError("--rank ranks by the labels: give --labels FILE or RECORDING:wake / RECORDING:no-wake");
    if (!options.plot.empty()) throw LabelError("--plot draws the missed and false wakes: give --labels FILE or RECORDING:wake / RECORDING:no-wake");
    return std::nullopt;
  }
  return matchLabels(recordings, options.labels.fromFile, options.labels.base, options.labels.fromWords);
}

// A key that changes none of the cells is named, since rows that differ in it differ in name only.
void warnOfKeysWithoutEffect(const std::vector<std::string>& keys, const std::vector<Cell>& cells,
                             const std::optional<GivenFile>& settingsFile, std::ostream& errors) {
  std::vector<plist::Dictionary> files;
  for (const Cell& cell : cells) files.push_back(replaySettingsFile(cell.settings, settingsFile).dictionary);
  for (const std::string& key : keys) {
    if (auto warning = noDifferenceWarning(key, files)) errors << "warning: " << *warning << "\n";
  }
}

// The table, then the picture; 0 when every cell ran.
int answer(const std::vector<Cell>& cells, const std::optional<Labels>& labels, const AnswerOptions& options,
           const std::vector<std::string>& plotKeys, std::ostream& out, std::ostream& errors) {
  TableOptions table;
  table.output = options.output;
  table.labels = labels ? &*labels : nullptr;
  table.rank = options.rank;
  printTable(cells, table, out);
  out.flush();
  if (!options.plot.empty()) drawSweepPlot(tabulate(cells, table.labels), plotKeys, options.plot);
  bool allRan = true;
  for (const Cell& cell : cells) {
    if (cell.status == Cell::Status::Ok) continue;
    allRan = false;
    errors << cell.recording.string() << " [" << settingsText(cell.gridValues) << "]: " << cell.problem << "\n";
  }
  return allRan ? 0 : 1;
}

std::vector<std::string> checkedPlotKeys(const AnswerOptions& options, const std::vector<Cell>& cells) {
  if (options.plot.empty()) return {};
  return plotKeysFor(options.plot, options.plotKeys, varyingKeys(cells));
}

}  // namespace

LabelSources labelSources(const std::string& file, std::vector<std::string>& arguments) {
  LabelSources sources;
  if (!file.empty()) {
    sources.fromFile = readLabelsFile(file);
    sources.base = std::filesystem::path(file).parent_path();
    if (sources.base.empty()) sources.base = ".";
  }
  std::vector<std::string> rest;
  for (const std::string& argument : arguments) {
    std::error_code error;
    auto label = labelWord(argument);
    if (label && !std::filesystem::exists(argument, error)) {
      sources.fromWords.push_back(std::move(*label));
    } else {
      rest.push_back(argument);
    }
  }
  arguments = std::move(rest);
  return sources;
}

std::optional<GridAxis> parseGridAxis(const std::string& text, std::string& problem) {
  const auto equals = text.find('=');
  if (equals == std::string::npos || equals == 0) {
    problem = "expected KEY=V1,V2,...";
    return std::nullopt;
  }
  GridAxis axis{text.substr(0, equals), {}};
  std::string_view rest = std::string_view(text).substr(equals + 1);
  for (;;) {
    const auto comma = rest.find(',');
    auto value = parseValueWord(rest.substr(0, comma), problem);
    if (!value) return std::nullopt;
    axis.values.push_back(*value);
    if (comma == std::string_view::npos) break;
    rest.remove_prefix(comma + 1);
  }
  return axis;
}

std::vector<Cell> planCells(const SweepOptions& options) {
  std::vector<plist::Dictionary> combinations{{}};
  for (const GridAxis& axis : options.grid) {
    std::vector<plist::Dictionary> next;
    for (const plist::Dictionary& partial : combinations) {
      for (const plist::Value& value : axis.values) {
        plist::Dictionary more = partial;
        more.insert_or_assign(axis.key, value);
        next.push_back(std::move(more));
      }
    }
    combinations = std::move(next);
  }
  std::vector<Cell> cells;
  for (const auto& recording : options.recordings) {
    for (const plist::Dictionary& values : combinations) {
      Cell cell;
      cell.recording = recording;
      cell.settings = options.settings;
      for (const auto& [key, value] : values) cell.settings.insert_or_assign(key, value);
      cell.gridValues = values;
      cells.push_back(std::move(cell));
    }
  }
  return cells;
}

int runSweep(const SweepOptions& options, std::ostream& out, std::ostream& errors) {
  std::vector<Cell> cells = planCells(options);
  const std::optional<Labels> labels = matchedLabels(options.answer, recordingsOf(cells));
  const std::vector<std::string> plotKeys = checkedPlotKeys(options.answer, cells);
  if (!options.outputs.empty()) std::filesystem::create_directories(options.outputs);
  // Read and checked once each, before any cell runs.
  LoadedRecordings loaded;
  for (const auto& file : options.recordings) {
    if (!loaded.contains(file)) {
      loaded.emplace(file, std::make_shared<const recordings::LoadedRecording>(recordings::loadRecording(file)));
    }
  }
  std::vector<std::string> gridKeys;
  for (const GridAxis& axis : options.grid) gridKeys.push_back(axis.key);
  warnOfKeysWithoutEffect(gridKeys, cells, options.settingsFile, errors);

  CellRunOptions run;
  run.jobs = options.jobs;
  run.cellSeconds = options.cellSeconds;
  run.progress = options.progress;
  run.outputs = options.outputs;
  run.settingsFile = options.settingsFile;
  runCells(cells, loaded, run, errors);
  return answer(cells, labels, options.answer, plotKeys, out, errors);
}

void printPlan(const SweepOptions& options, const std::string& program, std::ostream& out) {
  const std::vector<Cell> cells = planCells(options);
  matchedLabels(options.answer, recordingsOf(cells));  // labels that do not fit are refused here too
  std::size_t number = 0;
  for (const Cell& cell : cells) {
    ++number;
    const std::string output = cellOutputName(number);
    std::vector<std::string> argv = {program, "replay", cell.recording.string(), "--json"};
    if (options.settingsFile) {
      argv.push_back("--settings");
      argv.push_back(options.settingsFile->path.string());
    }
    for (const auto& [key, value] : cell.settings) {
      argv.push_back("--set");
      argv.push_back(setArgument(key, value));
    }
    std::string command;
    for (const std::string& word : argv) command += (command.empty() ? "" : " ") + shellWord(word);
    command += " > " + output;
    nlohmann::ordered_json line;
    line["cell"] = number;
    line["recording"] = cell.recording.string();
    line["settings"] = describedSettings(cell.gridValues);
    line["output"] = output;
    line["argv"] = argv;
    line["command"] = command;
    out << line.dump(-1, ' ', false, nlohmann::json::error_handler_t::replace) << "\n";
  }
}

int mergeCells(const std::vector<std::filesystem::path>& files, const AnswerOptions& options, std::ostream& out,
               std::ostream& errors) {
  std::vector<Cell> cells;
  std::vector<std::string> recordings;  // of the outputs that name theirs
  for (const auto& file : files) {
    Cell cell;
    cell.recording = file;
    std::ifstream in(file);
    if (!in) {
      errors << file.string() << ": cannot read\n";
      return 2;
    }
    bool sawSettings = false, sawSummary = false;
    std::string text;
    std::size_t lineNumber = 0;
    while (std::getline(in, text)) {
      ++lineNumber;
      if (text.empty()) continue;
      const auto line = nlohmann::json::parse(text, nullptr, false);
      if (!line.is_object() || !line.contains("event")) {
        errors << file.string() << ":" << lineNumber << ": not a line of `tessaro-sim replay --json`\n";
        return 2;
      }
      if (line["event"] == "settings") {
        sawSettings = true;
        if (line.contains("recording") && line["recording"].is_object()) {
          cell.recording = line["recording"].value("file", file.string());
        }
        if (line.contains("given") && line["given"].is_object()) {
          for (const auto& [key, value] : line["given"].items()) {
            if (!value.is_string()) continue;
            const std::string written = value.get<std::string>();
            const bool quoted = written.size() >= 2 && written.front() == '"' && written.back() == '"';
            std::string problem;
            const auto inner = quoted ? nlohmann::json::parse(written, nullptr, false) : nlohmann::json(written);
            if (!inner.is_string()) continue;
            if (auto parsed = parseValue(inner.get<std::string>(), quoted, problem)) cell.gridValues.insert_or_assign(key, *parsed);
          }
        }
        cell.settings = cell.gridValues;
      } else if (line["event"] == "summary") {
        sawSummary = true;
        cell.counts = countsFromJson(line);
        cell.readings = line.value("readings", 0LL);
        cell.endTime = line.value("time", 0.0);
      }
    }
    if (sawSettings) recordings.push_back(cell.recording.string());
    if (!sawSettings || !sawSummary) {
      cell.status = Cell::Status::Failed;
      cell.problem = file.string() + (sawSettings ? ": no summary line (did the replay finish?)" : ": no settings line");
    }
    cells.push_back(std::move(cell));
  }
  const std::optional<Labels> labels = matchedLabels(options, recordings);
  const std::vector<std::string> plotKeys = checkedPlotKeys(options, cells);
  warnOfKeysWithoutEffect(varyingKeys(cells), cells, std::nullopt, errors);
  return answer(cells, labels, options, plotKeys, out, errors);
}

}  // namespace sim
