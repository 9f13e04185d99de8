#include "tools/tessaro-sim/Sweep.h"

#include "platform/core/DeviceRoot.h"
#include "tools/tessaro-sim/Replay.h"
#include "tools/tessaro-sim/RootCleanup.h"
#include "tools/tessaro-sim/Scenario.h"
#include "tools/tessaro-sim/recordings/LoadedRecording.h"

#include <nlohmann/json.hpp>

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cmath>
#include <cstdlib>
#include <csignal>
#include <cstring>
#include <fstream>
#include <iostream>
#include <map>
#include <memory>
#include <set>
#include <sstream>

namespace sim {

namespace {

using Clock = std::chrono::steady_clock;

std::string settingsText(const plist::Dictionary& values) {
  std::string text;
  for (const auto& [key, value] : values) text += (text.empty() ? "" : " ") + key + "=" + describeValue(value);
  return text.empty() ? "(defaults)" : text;
}

std::string shellQuoted(const std::string& word) {
  if (!word.empty() && word.find_first_not_of("abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789_-+=./,:@") ==
                           std::string::npos) {
    return word;
  }
  std::string quoted = "'";
  for (char c : word) quoted += c == '\'' ? std::string("'\\''") : std::string(1, c);
  return quoted + "'";
}

// A setting as `--set` takes it back: strings quoted.
std::string setArgument(const std::string& key, const plist::Value& value) {
  return key + "=" + (value.isString() ? "\"" + *value.asString() + "\"" : describeValue(value));
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

// The grid keys whose values differ between cells; all of them when none do.
std::vector<std::string> varyingKeys(const std::vector<Cell>& cells) {
  std::map<std::string, std::set<std::string>> seen;
  for (const Cell& cell : cells) {
    for (const auto& [key, value] : cell.gridValues) seen[key].insert(describeValue(value));
  }
  std::vector<std::string> keys, all;
  for (const auto& [key, values] : seen) {
    all.push_back(key);
    if (values.size() > 1) keys.push_back(key);
  }
  return keys.empty() ? all : keys;
}

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

std::string firstWake(const Cell& cell) {
  if (!cell.counts.firstMotionWake) return "-";
  char text[32];
  std::snprintf(text, sizeof text, "%.3f s", *cell.counts.firstMotionWake);
  return text;
}

// A cell's result as its process hands it back: one JSON line on a pipe.
std::string resultLine(const ReplayResult& result, double endTime) {
  nlohmann::ordered_json json = countsJson(result.counts);
  json["readings"] = result.readings;
  json["endTime"] = endTime;
  return json.dump() + "\n";
}

// A running cell: its process and the pipe it answers on.
struct Running {
  std::size_t cell = 0;
  pid_t pid = -1;
  int fd = -1;
  std::string answer;
  Clock::time_point deadline;
  bool killed = false;
};

// The children, stopped when the sweep itself is told to stop.
std::set<pid_t> children;

void stopChildren(int signal) {
  for (pid_t pid : children) ::kill(pid, SIGTERM);
  struct sigaction fallback {};
  fallback.sa_handler = SIG_DFL;
  ::sigaction(signal, &fallback, nullptr);
  ::raise(signal);
}

// TESSARO_SWEEP_FAULT="N:crash" or "N:hang": cell N (from 1) crashes or never ends, so
// that the sweep's handling of both can be tested.
void injectFault(std::size_t number) {
  const char* fault = std::getenv("TESSARO_SWEEP_FAULT");
  if (fault == nullptr) return;
  const std::string text = fault;
  const auto colon = text.find(':');
  if (colon == std::string::npos || text.substr(0, colon) != std::to_string(number)) return;
  if (text.substr(colon + 1) == "crash") std::abort();
  if (text.substr(colon + 1) == "hang") {
    for (;;) ::pause();
  }
}

[[noreturn]] void runCell(std::size_t number, const Cell& cell, const std::optional<GivenFile>& settingsFile,
                          const std::shared_ptr<const recordings::LoadedRecording>& recording, int answer) {
  // A device of its own, whose files go with it however it ends.
  struct sigaction fallback {};
  fallback.sa_handler = SIG_DFL;
  for (int signal : {SIGINT, SIGTERM, SIGHUP}) ::sigaction(signal, &fallback, nullptr);
  removeRootOnSignals(core::root());
  injectFault(number);
  int status = 0;
  try {
    ReplayOptions replayOptions;
    replayOptions.recording = cell.recording;
    replayOptions.settings = cell.settings;
    replayOptions.settingsFile = settingsFile;
    replayOptions.quiet = true;
    replayOptions.readings = [recording] { return recordings::streamOf(recording); };
    replayOptions.summary = recording->summary;
    std::ostringstream ignored;
    const ReplayResult result = replay(replayOptions, ignored, ignored, false);
    const std::string line = resultLine(result, result.endTime);
    (void)!::write(answer, line.data(), line.size());
  } catch (const std::exception& error) {
    const std::string line = nlohmann::json{{"error", error.what()}}.dump() + "\n";
    (void)!::write(answer, line.data(), line.size());
    status = 2;
  }
  ::close(answer);
  // The device has been torn down with the replay; what is left to do at exit is the root's
  // removal. Done here, then out at once: the static teardown of a whole device is time
  // the next cell waits for.
  std::error_code ignored;
  std::filesystem::remove_all(core::root(), ignored);
  std::cout.flush();
  std::cerr.flush();
  ::_exit(status);
}

void finish(Cell& cell, const Running& running, int waitStatus) {
  if (running.killed) {
    cell.status = Cell::Status::TimedOut;
    cell.problem = "stopped after its time limit";
    return;
  }
  if (WIFSIGNALED(waitStatus)) {
    cell.status = Cell::Status::Crashed;
    cell.problem = std::string("crashed: ") + strsignal(WTERMSIG(waitStatus));
    return;
  }
  const auto line = nlohmann::json::parse(running.answer, nullptr, false);
  if (!line.is_object()) {
    cell.status = Cell::Status::Crashed;
    cell.problem = "ended (status " + std::to_string(WEXITSTATUS(waitStatus)) + ") without an answer";
    return;
  }
  if (line.contains("error")) {
    cell.status = Cell::Status::Failed;
    cell.problem = line["error"].is_string() ? line["error"].get<std::string>() : "failed";
    return;
  }
  cell.counts = countsFromJson(line);
  cell.readings = line.value("readings", 0LL);
  cell.endTime = line.value("endTime", 0.0);
}

}  // namespace

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
  // Read and checked once each, before any cell runs.
  std::map<std::filesystem::path, std::shared_ptr<const recordings::LoadedRecording>> loaded;
  for (const auto& file : options.recordings) {
    if (!loaded.contains(file)) {
      loaded.emplace(file, std::make_shared<const recordings::LoadedRecording>(recordings::loadRecording(file)));
    }
  }
  std::vector<Cell> cells = planCells(options);

  struct sigaction stop {};
  stop.sa_handler = &stopChildren;
  sigemptyset(&stop.sa_mask);
  for (int signal : {SIGINT, SIGTERM, SIGHUP}) ::sigaction(signal, &stop, nullptr);

  std::vector<Running> running;
  std::size_t next = 0, done = 0;
  const auto limit = std::chrono::duration_cast<Clock::duration>(std::chrono::duration<double>(options.cellSeconds));
  auto showProgress = [&] {
    if (options.progress) errors << "\rsweep: " << done << " of " << cells.size() << " cells" << std::flush;
  };
  showProgress();
  while (done < cells.size()) {
    while (next < cells.size() && running.size() < static_cast<std::size_t>(options.jobs)) {
      int fds[2];
      if (::pipe2(fds, O_CLOEXEC) != 0) throw std::runtime_error(std::string("sweep: pipe: ") + std::strerror(errno));
      std::cout.flush();
      errors.flush();
      const pid_t pid = ::fork();
      if (pid < 0) throw std::runtime_error(std::string("sweep: fork: ") + std::strerror(errno));
      if (pid == 0) {
        ::close(fds[0]);
        runCell(next + 1, cells[next], options.settingsFile, loaded.at(cells[next].recording), fds[1]);
      }
      ::close(fds[1]);
      children.insert(pid);
      running.push_back({next, pid, fds[0], {}, Clock::now() + limit, false});
      ++next;
    }
    std::vector<pollfd> polls;
    auto soonest = Clock::time_point::max();
    for (const Running& r : running) {
      polls.push_back({r.fd, POLLIN, 0});
      soonest = std::min(soonest, r.deadline);
    }
    const auto wait = std::chrono::duration_cast<std::chrono::milliseconds>(soonest - Clock::now()).count();
    const int ready = ::poll(polls.data(), polls.size(), static_cast<int>(std::clamp<long long>(wait + 1, 0, 60000)));
    if (ready < 0 && errno != EINTR) throw std::runtime_error(std::string("sweep: poll: ") + std::strerror(errno));
    for (std::size_t i = running.size(); i-- > 0;) {
      Running& r = running[i];
      bool ended = false;
      if (ready > 0 && (polls[i].revents & (POLLIN | POLLHUP | POLLERR)) != 0) {
        char buffer[4096];
        const ssize_t n = ::read(r.fd, buffer, sizeof buffer);
        if (n > 0 && r.answer.size() < (1u << 20)) r.answer.append(buffer, static_cast<std::size_t>(n));
        ended = n == 0 || (n < 0 && errno != EINTR && errno != EAGAIN);
      }
      if (!ended && Clock::now() >= r.deadline) {
        ::kill(r.pid, SIGKILL);
        r.killed = true;
        ended = true;
      }
      if (!ended) continue;
      int status = 0;
      while (::waitpid(r.pid, &status, 0) < 0 && errno == EINTR) {
      }
      children.erase(r.pid);
      ::close(r.fd);
      finish(cells[r.cell], r, status);
      running.erase(running.begin() + static_cast<std::ptrdiff_t>(i));
      ++done;
      showProgress();
    }
  }
  if (options.progress) errors << "\r\033[K" << std::flush;
  printTable(cells, options.output, out);
  for (const Cell& cell : cells) {
    if (cell.status != Cell::Status::Ok) {
      errors << cell.recording.string() << " [" << settingsText(cell.gridValues) << "]: " << cell.problem << "\n";
    }
  }
  const bool allRan = std::all_of(cells.begin(), cells.end(), [](const Cell& cell) { return cell.status == Cell::Status::Ok; });
  return allRan ? 0 : 1;
}

void printPlan(const SweepOptions& options, const std::string& program, std::ostream& out) {
  std::size_t number = 0;
  for (const Cell& cell : planCells(options)) {
    ++number;
    char output[32];
    std::snprintf(output, sizeof output, "cell-%04zu.jsonl", number);
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
    for (const std::string& word : argv) command += (command.empty() ? "" : " ") + shellQuoted(word);
    command += std::string(" > ") + output;
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

int mergeCells(const std::vector<std::filesystem::path>& files, SweepOutput output, std::ostream& out,
               std::ostream& errors) {
  std::vector<Cell> cells;
  bool complete = true;
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
            std::string inner = quoted ? nlohmann::json::parse(written, nullptr, false).get<std::string>() : written;
            if (auto parsed = parseValue(inner, quoted, problem)) cell.gridValues.insert_or_assign(key, *parsed);
          }
        }
      } else if (line["event"] == "summary") {
        sawSummary = true;
        cell.counts = countsFromJson(line);
        cell.readings = line.value("readings", 0LL);
        cell.endTime = line.value("time", 0.0);
      }
    }
    if (!sawSettings || !sawSummary) {
      cell.status = Cell::Status::Failed;
      cell.problem = file.string() + (sawSettings ? ": no summary line (did the replay finish?)" : ": no settings line");
      complete = false;
      errors << cell.problem << "\n";
    }
    cells.push_back(std::move(cell));
  }
  printTable(cells, output, out);
  return complete ? 0 : 1;
}

void printTable(const std::vector<Cell>& cells, SweepOutput output, std::ostream& out) {
  const std::vector<std::string> keys = varyingKeys(cells);
  // Totals per settings, in the order the settings first appear.
  struct Totals {
    plist::Dictionary values;
    long long cells = 0, ran = 0, woken = 0, motionWakes = 0, timeoutLightings = 0, homeButtonWakes = 0, lockPresses = 0;
  };
  std::vector<Totals> totals;
  for (const Cell& cell : cells) {
    const plist::Dictionary values = only(cell.gridValues, keys);
    auto found = std::find_if(totals.begin(), totals.end(), [&](const Totals& t) { return t.values == values; });
    if (found == totals.end()) found = totals.insert(totals.end(), Totals{values});
    ++found->cells;
    if (cell.status != Cell::Status::Ok) continue;
    ++found->ran;
    found->woken += cell.counts.motionWakes > 0;
    found->motionWakes += cell.counts.motionWakes;
    found->timeoutLightings += cell.counts.timeoutLightings;
    found->homeButtonWakes += cell.counts.homeButtonWakes;
    found->lockPresses += cell.counts.lockPresses;
  }

  if (output == SweepOutput::Json) {
    for (const Cell& cell : cells) {
      nlohmann::ordered_json line;
      if (cell.status == Cell::Status::Ok) line["time"] = cell.endTime;
      line["event"] = "cell";
      line["recording"] = cell.recording.string();
      line["settings"] = describedSettings(only(cell.gridValues, keys));
      line["status"] = statusName(cell.status);
      if (cell.status != Cell::Status::Ok) line["problem"] = cell.problem;
      line["readings"] = cell.readings;
      const nlohmann::ordered_json counts = countsJson(cell.counts);
      for (const auto& [key, value] : counts.items()) line[key] = value;
      out << line.dump(-1, ' ', false, nlohmann::json::error_handler_t::replace) << "\n";
    }
    for (const Totals& t : totals) {
      nlohmann::ordered_json line;
      line["event"] = "totals";
      line["settings"] = describedSettings(t.values);
      line["cells"] = t.cells;
      line["ran"] = t.ran;
      line["recordingsWoken"] = t.woken;
      line["motionWakes"] = t.motionWakes;
      line["timeoutLightings"] = t.timeoutLightings;
      line["homeButtonWakes"] = t.homeButtonWakes;
      line["lockPresses"] = t.lockPresses;
      out << line.dump(-1, ' ', false, nlohmann::json::error_handler_t::replace) << "\n";
    }
    return;
  }
  if (output == SweepOutput::Csv) {
    out << "recording";
    for (const std::string& key : keys) out << "," << csvCell(key);
    out << ",status,readings,motion_wakes,timeout_lightings,home_button_wakes,lock_presses,first_motion_wake\n";
    for (const Cell& cell : cells) {
      out << csvCell(cell.recording.string());
      for (const std::string& key : keys) {
        const auto found = cell.gridValues.find(key);
        out << "," << csvCell(found == cell.gridValues.end() ? "" : describeValue(found->second));
      }
      out << "," << statusName(cell.status) << "," << cell.readings << "," << cell.counts.motionWakes << ","
          << cell.counts.timeoutLightings << "," << cell.counts.homeButtonWakes << "," << cell.counts.lockPresses << ",";
      if (cell.counts.firstMotionWake) out << *cell.counts.firstMotionWake;
      out << "\n";
    }
    return;
  }
  std::size_t recordingWidth = 9, settingsWidth = 8;
  for (const Cell& cell : cells) {
    recordingWidth = std::max(recordingWidth, cell.recording.filename().string().size());
    settingsWidth = std::max(settingsWidth, settingsText(only(cell.gridValues, keys)).size());
  }
  char row[512];
  std::snprintf(row, sizeof row, "%-*s  %-*s  %-9s  %6s  %8s  %4s  %4s  %s\n", static_cast<int>(recordingWidth),
                "recording", static_cast<int>(settingsWidth), "settings", "status", "motion", "time-out", "home", "lock",
                "first motion wake");
  out << row;
  for (const Cell& cell : cells) {
    std::snprintf(row, sizeof row, "%-*s  %-*s  %-9s  %6lld  %8lld  %4lld  %4lld  %s\n", static_cast<int>(recordingWidth),
                  cell.recording.filename().string().c_str(), static_cast<int>(settingsWidth),
                  settingsText(only(cell.gridValues, keys)).c_str(), statusName(cell.status), cell.counts.motionWakes,
                  cell.counts.timeoutLightings, cell.counts.homeButtonWakes, cell.counts.lockPresses, firstWake(cell).c_str());
    out << row;
  }
  out << "\ntotals by settings (recordings woken by motion, then sums over the recordings):\n";
  for (const Totals& t : totals) {
    out << "  " << settingsText(t.values) << ": " << t.woken << " of " << t.cells << " woken; " << t.motionWakes
        << " motion wakes, " << t.timeoutLightings << " time-out lightings, " << t.homeButtonWakes << " home-button wakes, "
        << t.lockPresses << " lock presses";
    if (t.ran < t.cells) out << "; " << (t.cells - t.ran) << " cell(s) did not run";
    out << "\n";
  }
}

}  // namespace sim
