#include "tools/tessaro-sim/SweepTable.h"

#include "tools/tessaro-sim/Replay.h"
#include "tools/tessaro-sim/Scenario.h"
#include "tools/tessaro-sim/Timeline.h"

#include <nlohmann/json.hpp>

#include <algorithm>
#include <cstdio>
#include <limits>
#include <set>
#include <tuple>

namespace sim {

namespace {

plist::Dictionary only(const plist::Dictionary& values, const std::vector<std::string>& keys) {
  plist::Dictionary picked;
  for (const std::string& key : keys) {
    if (auto found = values.find(key); found != values.end()) picked.insert_or_assign(key, found->second);
  }
  return picked;
}

std::string csvCell(const std::string& text) {
  if (text.find_first_of(",\"\n") == std::string::npos) return text;
  std::string quoted = "\"";
  for (char c : text) quoted += c == '"' ? std::string("\"\"") : std::string(1, c);
  return quoted + "\"";
}

std::string secondsText(const std::optional<double>& seconds) {
  if (!seconds) return "-";
  char text[32];
  std::snprintf(text, sizeof text, "%.3f s", *seconds);
  return text;
}

std::string number(const std::optional<double>& value) {
  if (!value) return "";
  char text[32];
  std::snprintf(text, sizeof text, "%.6g", *value);
  return text;
}

nlohmann::ordered_json orNull(const std::optional<double>& value) {
  return value ? nlohmann::ordered_json(*value) : nlohmann::ordered_json(nullptr);
}

std::string plural(long long n, const char* one, const char* many) { return std::to_string(n) + " " + (n == 1 ? one : many); }

std::string dump(const nlohmann::ordered_json& line) { return line.dump(-1, ' ', false, nlohmann::json::error_handler_t::replace); }

// A merged output that names no recording (it ended before its settings line) has no label.
const Expectation* expectationOf(const Labels* labels, const Cell& cell) {
  if (labels == nullptr) return nullptr;
  const auto found = labels->find(cell.recording.string());
  return found == labels->end() ? nullptr : &found->second;
}

// Ranked rows before the rest; among them fewer errors, then a shorter median and largest
// time to wake (none: last); then the order of the grid.
void rankRows(SweepTable& table) {
  constexpr double kNone = std::numeric_limits<double>::infinity();
  auto key = [&](std::size_t i) {
    const SettingsRow& row = table.rows[i];
    return std::make_tuple(!row.complete(), row.errors(), row.medianTimeToWake.value_or(kNone), row.maxTimeToWake.value_or(kNone));
  };
  table.best.resize(table.rows.size());
  for (std::size_t i = 0; i < table.rows.size(); ++i) table.best[i] = i;
  std::stable_sort(table.best.begin(), table.best.end(), [&](std::size_t a, std::size_t b) { return key(a) < key(b); });
  for (std::size_t place = 0; place < table.best.size(); ++place) {
    SettingsRow& row = table.rows[table.best[place]];
    if (!row.complete()) break;
    const bool tied = place > 0 && key(table.best[place]) == key(table.best[place - 1]);
    row.rank = tied ? table.rows[table.best[place - 1]].rank : static_cast<int>(place) + 1;
  }
}

double median(std::vector<double> values) {
  std::sort(values.begin(), values.end());
  const std::size_t n = values.size();
  return n % 2 == 1 ? values[n / 2] : (values[n / 2 - 1] + values[n / 2]) / 2;
}

// The rows in the order asked for.
std::vector<std::size_t> rowOrder(const SweepTable& table, bool rank) {
  if (rank) return table.best;
  std::vector<std::size_t> order(table.rows.size());
  for (std::size_t i = 0; i < order.size(); ++i) order[i] = i;
  return order;
}

std::size_t rowOf(const SweepTable& table, std::size_t cell) {
  for (std::size_t i = 0; i < table.rows.size(); ++i) {
    const auto& cells = table.rows[i].cells;
    if (std::find(cells.begin(), cells.end(), cell) != cells.end()) return i;
  }
  return 0;
}

// The best row and how many others rank with it, or none.
const SettingsRow* bestRow(const SweepTable& table, std::size_t& ties) {
  ties = 0;
  if (table.best.empty() || table.rows[table.best.front()].rank != 1) return nullptr;
  for (std::size_t i = 1; i < table.best.size() && table.rows[table.best[i]].rank == 1; ++i) ++ties;
  return &table.rows[table.best.front()];
}

std::string timesText(const SettingsRow& row) {
  if (!row.medianTimeToWake) return "no time to wake";
  return "time to wake " + secondsText(row.medianTimeToWake) + " median, " + secondsText(row.maxTimeToWake) + " largest";
}

void printJson(const std::vector<Cell>& cells, const SweepTable& table, const TableOptions& options, std::ostream& out) {
  for (const Cell& cell : cells) {
    nlohmann::ordered_json line;
    // As a replay's summary gives it, so that merged cells read the same.
    if (cell.status == Cell::Status::Ok) line["time"] = Timeline::rounded(cell.endTime);
    line["event"] = "cell";
    line["recording"] = cell.recording.string();
    line["settings"] = describedSettings(only(cell.gridValues, table.keys));
    line["status"] = statusName(cell.status);
    if (cell.status != Cell::Status::Ok) line["problem"] = cell.problem;
    line["readings"] = cell.readings;
    const nlohmann::ordered_json counts = countsJson(cell.counts);
    for (const auto& [key, value] : counts.items()) line[key] = value;
    if (table.labelled) {
      const Expectation* expect = expectationOf(options.labels, cell);
      line["expect"] = expect ? nlohmann::ordered_json(expect->wake ? "wake" : "no-wake") : nlohmann::ordered_json(nullptr);
      line["by"] = expect ? orNull(expect->by) : nullptr;
      line["verdict"] = verdictName(expect ? verdictOf(cell, *expect) : Verdict::DidNotRun);
    }
    out << dump(line) << "\n";
  }
  for (std::size_t i : rowOrder(table, options.rank)) {
    const SettingsRow& row = table.rows[i];
    nlohmann::ordered_json line;
    line["event"] = "totals";
    line["settings"] = describedSettings(row.values);
    line["cells"] = row.cells.size();
    line["ran"] = row.ran;
    line["recordingsWoken"] = row.woken;
    line["motionWakes"] = row.motionWakes;
    line["timeoutLightings"] = row.timeoutLightings;
    line["homeButtonWakes"] = row.homeButtonWakes;
    line["lockPresses"] = row.lockPresses;
    if (table.labelled) {
      line["wakesExpected"] = row.wakesExpected;
      line["wokeAsExpected"] = row.wokeAsExpected;
      line["missedWakes"] = row.missedWakes;
      line["falseWakes"] = row.falseWakes;
      line["errors"] = row.errors();
      line["timeToWake"] = {{"median", orNull(row.medianTimeToWake)}, {"max", orNull(row.maxTimeToWake)}};
      line["rank"] = row.rank > 0 ? nlohmann::ordered_json(row.rank) : nlohmann::ordered_json(nullptr);
    }
    out << dump(line) << "\n";
  }
  std::size_t ties = 0;
  if (const SettingsRow* best = table.labelled ? bestRow(table, ties) : nullptr) {
    nlohmann::ordered_json line;
    line["event"] = "best";
    line["settings"] = describedSettings(best->values);
    nlohmann::ordered_json set = nlohmann::ordered_json::array();
    for (const auto& [key, value] : best->settings) set.push_back(setArgument(key, value));
    line["set"] = set;
    line["options"] = setOptions(best->settings);
    line["missedWakes"] = best->missedWakes;
    line["falseWakes"] = best->falseWakes;
    line["timeToWake"] = {{"median", orNull(best->medianTimeToWake)}, {"max", orNull(best->maxTimeToWake)}};
    line["tied"] = ties;
    out << dump(line) << "\n";
  }
}

void printCsv(const std::vector<Cell>& cells, const SweepTable& table, const TableOptions& options, std::ostream& out) {
  out << "recording";
  for (const std::string& key : table.keys) out << "," << csvCell(key);
  out << ",status,readings,motion_wakes,timeout_lightings,home_button_wakes,lock_presses,first_motion_wake";
  if (table.labelled) {
    out << ",expect,by,verdict,row_rank,row_missed_wakes,row_false_wakes,row_time_to_wake_median,row_time_to_wake_max";
  }
  out << "\n";
  std::vector<std::size_t> order;
  if (options.rank) {
    for (std::size_t row : table.best) order.insert(order.end(), table.rows[row].cells.begin(), table.rows[row].cells.end());
  } else {
    for (std::size_t i = 0; i < cells.size(); ++i) order.push_back(i);
  }
  for (std::size_t i : order) {
    const Cell& cell = cells[i];
    out << csvCell(cell.recording.string());
    for (const std::string& key : table.keys) {
      const auto found = cell.gridValues.find(key);
      out << "," << csvCell(found == cell.gridValues.end() ? "" : describeValue(found->second));
    }
    out << "," << statusName(cell.status) << "," << cell.readings << "," << cell.counts.motionWakes << ","
        << cell.counts.timeoutLightings << "," << cell.counts.homeButtonWakes << "," << cell.counts.lockPresses << ",";
    if (cell.counts.firstMotionWake) out << *cell.counts.firstMotionWake;
    if (table.labelled) {
      const Expectation* expect = expectationOf(options.labels, cell);
      const SettingsRow& row = table.rows[rowOf(table, i)];
      out << "," << (expect ? expect->wake ? "wake" : "no-wake" : "") << "," << (expect ? number(expect->by) : "") << ","
          << verdictName(expect ? verdictOf(cell, *expect) : Verdict::DidNotRun)
          << "," << (row.rank > 0 ? std::to_string(row.rank) : "") << "," << row.missedWakes << "," << row.falseWakes << ","
          << number(row.medianTimeToWake) << "," << number(row.maxTimeToWake);
    }
    out << "\n";
  }
}

void printText(const std::vector<Cell>& cells, const SweepTable& table, const TableOptions& options, std::ostream& out) {
  std::size_t recordingWidth = 9, settingsWidth = 8;
  for (const Cell& cell : cells) {
    recordingWidth = std::max(recordingWidth, cell.recording.filename().string().size());
    settingsWidth = std::max(settingsWidth, settingsText(only(cell.gridValues, table.keys)).size());
  }
  const int rw = static_cast<int>(recordingWidth), sw = static_cast<int>(settingsWidth);
  char row[1024];
  std::snprintf(row, sizeof row, "%-*s  %-*s  %-9s  %6s  %8s  %4s  %4s  %s", rw, "recording", sw, "settings", "status",
                "motion", "time-out", "home", "lock", table.labelled ? "first motion wake  expected        verdict" : "first motion wake");
  out << row << "\n";
  for (std::size_t i = 0; i < cells.size(); ++i) {
    const Cell& cell = cells[i];
    const std::string wake = cell.counts.firstMotionWake ? secondsText(cell.counts.firstMotionWake) : "-";
    std::snprintf(row, sizeof row, "%-*s  %-*s  %-9s  %6lld  %8lld  %4lld  %4lld  %s", rw, cell.recording.filename().string().c_str(),
                  sw, settingsText(only(cell.gridValues, table.keys)).c_str(), statusName(cell.status), cell.counts.motionWakes,
                  cell.counts.timeoutLightings, cell.counts.homeButtonWakes, cell.counts.lockPresses, wake.c_str());
    out << row;
    if (table.labelled) {
      const Expectation* expect = expectationOf(options.labels, cell);
      std::snprintf(row, sizeof row, "%*s  %-14s  %s", static_cast<int>(17 - std::min<std::size_t>(17, wake.size())), "",
                    expect ? describeExpectation(*expect).c_str() : "-",
                    verdictName(expect ? verdictOf(cell, *expect) : Verdict::DidNotRun));
      out << row;
    }
    out << "\n";
  }
  if (!table.labelled) {
    out << "\ntotals by settings (recordings woken by motion, then sums over the recordings):\n";
    for (std::size_t i : rowOrder(table, false)) {
      const SettingsRow& t = table.rows[i];
      out << "  " << settingsText(t.values) << ": " << t.woken << " of " << t.cells.size() << " woken; " << t.motionWakes
          << " motion wakes, " << t.timeoutLightings << " time-out lightings, " << t.homeButtonWakes << " home-button wakes, "
          << t.lockPresses << " lock presses";
      if (t.ran < static_cast<long long>(t.cells.size())) out << "; " << (t.cells.size() - t.ran) << " cell(s) did not run";
      out << "\n";
    }
    return;
  }
  out << "\nsettings rows" << (options.rank ? ", best first" : "")
      << " (rank: fewest missed plus false wakes, then the shortest time to the first motion wake):\n";
  for (std::size_t i : rowOrder(table, options.rank)) {
    const SettingsRow& t = table.rows[i];
    out << "  " << (t.rank > 0 ? "#" + std::to_string(t.rank) : std::string("-")) << "  " << settingsText(t.values) << ": "
        << t.wokeAsExpected << " of " << t.wakesExpected << " woken as expected, " << plural(t.missedWakes, "missed wake", "missed wakes")
        << ", " << plural(t.falseWakes, "false wake", "false wakes") << "; " << timesText(t) << "; "
        << plural(t.timeoutLightings, "time-out lighting", "time-out lightings") << ", "
        << plural(t.lockPresses, "lock press", "lock presses");
    if (!t.complete()) out << "; " << (t.cells.size() - t.ran) << " cell(s) did not run";
    out << "\n";
  }
  std::size_t ties = 0;
  const SettingsRow* best = bestRow(table, ties);
  if (best == nullptr) {
    out << "\nbest: none (no settings row ran every cell)\n";
    return;
  }
  out << "\nbest: " << setOptions(best->settings) << "\n  (" << plural(best->missedWakes, "missed wake", "missed wakes") << ", "
      << plural(best->falseWakes, "false wake", "false wakes") << "; " << timesText(*best);
  if (ties > 0) out << "; " << plural(static_cast<long long>(ties), "other row does", "other rows do") << " as well";
  out << ")\n";
}

}  // namespace

std::vector<std::string> varyingKeys(const std::vector<Cell>& cells) {
  std::map<std::string, std::set<std::string>> seen;
  std::vector<std::string> order;
  for (const Cell& cell : cells) {
    for (const auto& [key, value] : cell.gridValues) {
      if (!seen.contains(key)) order.push_back(key);
      seen[key].insert(describeValue(value));
    }
  }
  std::vector<std::string> keys;
  for (const std::string& key : order) {
    if (seen[key].size() > 1) keys.push_back(key);
  }
  return keys.empty() ? order : keys;
}

std::string settingsText(const plist::Dictionary& values) {
  std::string text;
  for (const auto& [key, value] : values) text += (text.empty() ? "" : " ") + key + "=" + describeValue(value);
  return text.empty() ? "(defaults)" : text;
}

const char* statusName(Cell::Status status) {
  switch (status) {
    case Cell::Status::Ok: return "ok";
    case Cell::Status::Crashed: return "crashed";
    case Cell::Status::TimedOut: return "timed out";
    case Cell::Status::Failed: return "failed";
  }
  return "?";
}

std::optional<Cell::Status> statusNamed(std::string_view name) {
  for (Cell::Status status : {Cell::Status::Ok, Cell::Status::Crashed, Cell::Status::TimedOut, Cell::Status::Failed}) {
    if (name == statusName(status)) return status;
  }
  return std::nullopt;
}

Verdict verdictOf(const Cell& cell, const Expectation& expect) {
  if (cell.status != Cell::Status::Ok) return Verdict::DidNotRun;
  const bool woke = cell.counts.motionWakes > 0;
  if (!expect.wake) return woke ? Verdict::FalseWake : Verdict::StayedDark;
  if (!woke) return Verdict::Missed;
  if (expect.by && cell.counts.firstMotionWake && *cell.counts.firstMotionWake > *expect.by) return Verdict::Late;
  return Verdict::Woke;
}

const char* verdictName(Verdict verdict) {
  switch (verdict) {
    case Verdict::Woke: return "woke";
    case Verdict::Missed: return "missed";
    case Verdict::Late: return "late";
    case Verdict::FalseWake: return "false wake";
    case Verdict::StayedDark: return "stayed dark";
    case Verdict::DidNotRun: return "did not run";
  }
  return "?";
}

SweepTable tabulate(const std::vector<Cell>& cells, const Labels* labels) {
  SweepTable table;
  table.keys = varyingKeys(cells);
  table.labelled = labels != nullptr;
  std::vector<std::vector<double>> times;
  for (std::size_t i = 0; i < cells.size(); ++i) {
    const Cell& cell = cells[i];
    const plist::Dictionary values = only(cell.gridValues, table.keys);
    auto found = std::find_if(table.rows.begin(), table.rows.end(), [&](const SettingsRow& r) { return r.values == values; });
    if (found == table.rows.end()) {
      SettingsRow row;
      row.values = values;
      row.settings = cell.settings;
      found = table.rows.insert(table.rows.end(), std::move(row));
      times.emplace_back();
    }
    SettingsRow& row = *found;
    row.cells.push_back(i);
    const Expectation* expect = expectationOf(labels, cell);
    if (expect && expect->wake) ++row.wakesExpected;
    if (cell.status != Cell::Status::Ok) continue;
    ++row.ran;
    row.woken += cell.counts.motionWakes > 0;
    row.motionWakes += cell.counts.motionWakes;
    row.timeoutLightings += cell.counts.timeoutLightings;
    row.homeButtonWakes += cell.counts.homeButtonWakes;
    row.lockPresses += cell.counts.lockPresses;
    if (!expect) continue;
    const Verdict verdict = verdictOf(cell, *expect);
    row.wokeAsExpected += verdict == Verdict::Woke;
    row.missedWakes += verdict == Verdict::Missed || verdict == Verdict::Late;
    row.falseWakes += verdict == Verdict::FalseWake;
    if ((verdict == Verdict::Woke || verdict == Verdict::Late) && cell.counts.firstMotionWake) {
      times[static_cast<std::size_t>(found - table.rows.begin())].push_back(*cell.counts.firstMotionWake);
    }
  }
  for (std::size_t i = 0; i < table.rows.size(); ++i) {
    if (times[i].empty()) continue;
    table.rows[i].medianTimeToWake = median(times[i]);
    table.rows[i].maxTimeToWake = *std::max_element(times[i].begin(), times[i].end());
  }
  if (labels) {
    rankRows(table);
  } else {
    for (std::size_t i = 0; i < table.rows.size(); ++i) table.best.push_back(i);
  }
  return table;
}

void printTable(const std::vector<Cell>& cells, const TableOptions& options, std::ostream& out) {
  const SweepTable table = tabulate(cells, options.labels);
  switch (options.output) {
    case SweepOutput::Json: printJson(cells, table, options, out); return;
    case SweepOutput::Csv: printCsv(cells, table, options, out); return;
    case SweepOutput::Text: printText(cells, table, options, out); return;
  }
}

std::string setArgument(const std::string& key, const plist::Value& value) {
  return key + "=" + (value.isString() ? "\"" + *value.asString() + "\"" : describeValue(value));
}

std::string shellWord(const std::string& word) {
  if (!word.empty() && word.find_first_not_of("abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789_-+=./,:@") ==
                           std::string::npos) {
    return word;
  }
  std::string quoted = "'";
  for (char c : word) quoted += c == '\'' ? std::string("'\\''") : std::string(1, c);
  return quoted + "'";
}

std::string setOptions(const plist::Dictionary& settings) {
  std::string text;
  for (const auto& [key, value] : settings) text += (text.empty() ? "" : " ") + std::string("--set ") + shellWord(setArgument(key, value));
  return text.empty() ? "(the defaults: no --set)" : text;
}

}  // namespace sim
