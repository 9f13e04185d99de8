#include "tools/tessaro-sim/SweepCells.h"

#include "platform/core/DeviceRoot.h"
#include "tools/tessaro-sim/KeyRelevance.h"
#include "tools/tessaro-sim/Replay.h"
#include "tools/tessaro-sim/RootCleanup.h"

#include <nlohmann/json.hpp>

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <iostream>
#include <sstream>
#include <stdexcept>

namespace sim {

namespace {

using Clock = std::chrono::steady_clock;

[[noreturn]] void systemFailure(const char* what) { throw std::runtime_error(std::string("sweep: ") + what + ": " + std::strerror(errno)); }

void writeAll(int fd, const std::string& text) {
  std::size_t written = 0;
  while (written < text.size()) {
    const ssize_t n = ::write(fd, text.data() + written, text.size() - written);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return;  // the reader is gone: nobody is left to tell
    written += static_cast<std::size_t>(n);
  }
}

void defaultSignals() {
  struct sigaction fallback {};
  fallback.sa_handler = SIG_DFL;
  for (int signal : {SIGINT, SIGTERM, SIGHUP}) ::sigaction(signal, &fallback, nullptr);
}

// Processes to stop when this one is told to stop, kept where a signal handler may read them.
// In the sweep: the process group of the booted device now running. In that device's process:
// its running cells, and the handler it had before (which removes its files).
volatile sig_atomic_t runningGroup = 0;
constexpr std::size_t kMaxJobs = 256;
volatile sig_atomic_t runningCells[kMaxJobs] = {};
struct sigaction chained[NSIG];

void stopGroup(int signal) {
  if (const pid_t group = runningGroup; group > 0) ::kill(-group, SIGTERM);
  struct sigaction fallback {};
  fallback.sa_handler = SIG_DFL;
  ::sigaction(signal, &fallback, nullptr);
  ::raise(signal);
}

void stopCells(int signal) {
  for (std::size_t i = 0; i < kMaxJobs; ++i) {
    if (const pid_t pid = runningCells[i]; pid > 0) ::kill(pid, SIGTERM);
  }
  if (chained[signal].sa_handler != SIG_DFL && chained[signal].sa_handler != SIG_IGN) chained[signal].sa_handler(signal);
  struct sigaction fallback {};
  fallback.sa_handler = SIG_DFL;
  ::sigaction(signal, &fallback, nullptr);
  ::raise(signal);
}

void onStop(void (*handler)(int), bool chain) {
  struct sigaction stop {};
  stop.sa_handler = handler;
  sigemptyset(&stop.sa_mask);
  for (int signal : {SIGINT, SIGTERM, SIGHUP}) ::sigaction(signal, &stop, chain ? &chained[signal] : nullptr);
}

// Ends with the process that started this one, which can no longer stop it (SIGTERM: the
// process removes its files). False when that process has ended already.
bool endWithParent(pid_t parent) {
  ::prctl(PR_SET_PDEATHSIG, SIGTERM);
  return ::getppid() == parent;
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

// A cell's outcome as the booted device's process hands it to the sweep: one JSON line.
std::string outcomeLine(std::size_t index, const Cell& cell) {
  nlohmann::ordered_json line = countsJson(cell.counts);
  line["cell"] = index;
  line["status"] = statusName(cell.status);
  line["problem"] = cell.problem;
  line["readings"] = cell.readings;
  line["endTime"] = cell.endTime;
  return line.dump(-1, ' ', false, nlohmann::json::error_handler_t::replace) + "\n";
}

void takeOutcome(const nlohmann::json& line, Cell& cell) {
  cell.status = statusNamed(line.value("status", "")).value_or(Cell::Status::Failed);
  cell.problem = line.value("problem", "");
  cell.readings = line.value("readings", 0LL);
  cell.endTime = line.value("endTime", 0.0);
  cell.counts = countsFromJson(line);
}

// A private directory for one booted device's files, which its cells share. Removed whole
// when the device's process ends, however it ends. In $TMPDIR when it is set; otherwise in
// memory (/dev/shm) when there is such a place: every cell rewrites the settings file, and
// the device writes its files as durably as a phone does (synced to the disk), which on a
// disk costs more than the cell's replay.
std::filesystem::path makeWorkDirectory() {
  const char* tmpdir = std::getenv("TMPDIR");
  std::filesystem::path base = "/tmp";
  if (tmpdir != nullptr && tmpdir[0] == '/') {
    base = tmpdir;
  } else if (::access("/dev/shm", W_OK | X_OK) == 0) {
    base = "/dev/shm";
  }
  std::string pattern = (base / "tessaro-sweep-XXXXXX").string();
  if (::mkdtemp(pattern.data()) == nullptr) systemFailure("cannot make a directory for the cells' devices");
  return pattern;
}

// Removes the directory when the sweep is done with it, however it leaves.
struct RemovedAfter {
  std::filesystem::path directory;
  ~RemovedAfter() {
    std::error_code ignored;
    std::filesystem::remove_all(directory, ignored);
  }
};

// The cells of one booted device share its files: a cell reads them only while it takes its
// settings (a replay reads no other file and writes none), and it holds this lock meanwhile,
// so that no other cell rewrites the settings file under it. A record lock belongs to the
// process that takes it, so one descriptor opened before the forks serves every cell, and a
// cell that dies lets go of it.
class SettingsLock {
 public:
  explicit SettingsLock(int fd) : fd_(fd) { set(F_WRLCK); }
  ~SettingsLock() { set(F_UNLCK); }
  SettingsLock(const SettingsLock&) = delete;
  SettingsLock& operator=(const SettingsLock&) = delete;

 private:
  void set(short type) {
    struct flock lock {};
    lock.l_type = type;
    lock.l_whence = SEEK_SET;
    while (::fcntl(fd_, F_SETLKW, &lock) != 0) {
      if (errno != EINTR) systemFailure("cannot lock the settings file");
    }
  }
  int fd_;
};

// One cell, in a process forked from the booted device: answers one JSON line on `answer`.
[[noreturn]] void runCell(std::size_t number, const Cell& cell, ReplayDevice& device,
                          const std::shared_ptr<const recordings::LoadedRecording>& recording, const CellRunOptions& options,
                          int settingsLock, pid_t parent, int answer) {
  defaultSignals();
  if (!endWithParent(parent)) ::_exit(1);
  injectFault(number);
  int status = 0;
  try {
    {
      const SettingsLock lock(settingsLock);
      device.giveSettings(replaySettingsFile(cell.settings, options.settingsFile));
    }
    ReplayOptions replayOptions;
    replayOptions.recording = cell.recording;
    replayOptions.settings = cell.settings;
    replayOptions.settingsFile = options.settingsFile;
    replayOptions.readings = [recording] { return recordings::streamOf(recording); };
    std::ostringstream ignored;
    std::ofstream output;
    if (!options.outputs.empty()) {
      const auto file = options.outputs / cellOutputName(number);
      output.open(file, std::ios::binary | std::ios::trunc);
      if (!output) throw std::runtime_error("cannot write " + file.string());
      replayOptions.format = Format::Json;  // as a plan's `replay --json` writes it
    } else {
      replayOptions.quiet = true;
    }
    const ReplayResult result = device.run(replayOptions, output.is_open() ? static_cast<std::ostream&>(output) : ignored, ignored, false);
    if (output.is_open() && !output.flush()) throw std::runtime_error("cannot write " + (options.outputs / cellOutputName(number)).string());
    nlohmann::ordered_json line = countsJson(result.counts);
    line["readings"] = result.readings;
    line["endTime"] = result.endTime;
    writeAll(answer, line.dump() + "\n");
  } catch (const std::exception& error) {
    writeAll(answer, nlohmann::json{{"error", error.what()}}.dump(-1, ' ', false, nlohmann::json::error_handler_t::replace) + "\n");
    status = 2;
  }
  ::close(answer);
  // Out at once: the static teardown of a whole device is time the next cell waits for.
  std::cout.flush();
  std::cerr.flush();
  ::_exit(status);
}

// A running process and the pipe it answers on.
struct Running {
  std::size_t index = 0;
  pid_t pid = -1;
  int fd = -1;
  std::string answer;
  Clock::time_point deadline;
  bool killed = false;
};

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
  cell.status = Cell::Status::Ok;
  cell.counts = countsFromJson(line);
  cell.readings = line.value("readings", 0LL);
  cell.endTime = line.value("endTime", 0.0);
}

// Reads what is there of `fd`; true at its end (or on an error).
bool readSome(Running& running) {
  char buffer[4096];
  const ssize_t n = ::read(running.fd, buffer, sizeof buffer);
  if (n > 0 && running.answer.size() < (1u << 20)) running.answer.append(buffer, static_cast<std::size_t>(n));
  return n == 0 || (n < 0 && errno != EINTR && errno != EAGAIN);
}

void reap(pid_t pid, int& status) {
  while (::waitpid(pid, &status, 0) < 0 && errno == EINTR) {
  }
}

// The process of one booted device: runs `indices` of the cells, `jobs` at a time, each
// forked from the device, and tells the sweep each outcome on `report`.
[[noreturn]] void runDevice(std::vector<Cell>& cells, const std::vector<std::size_t>& indices, const LoadedRecordings& recordings,
                            const CellRunOptions& options, const std::filesystem::path& work, pid_t sweep, int report) {
  defaultSignals();
  ::setpgid(0, 0);
  if (!endWithParent(sweep)) ::_exit(1);
  removeRootOnSignals(work);
  onStop(&stopCells, true);
  int status = 0;
  try {
    const std::filesystem::path root = work / "device";
    std::filesystem::create_directory(root);
    core::setRoot(root);
    ReplayDevice device(replaySettingsFile(cells[indices.front()].settings, options.settingsFile), root);
    const int settingsLock = ::open((work / "settings.lock").c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
    if (settingsLock < 0) systemFailure("cannot make the settings lock");
    const pid_t self = ::getpid();
    std::vector<Running> running;
    std::size_t next = 0;
    const auto limit = std::chrono::duration_cast<Clock::duration>(std::chrono::duration<double>(options.cellSeconds));
    const std::size_t jobs = std::min<std::size_t>(static_cast<std::size_t>(std::max(options.jobs, 1)), kMaxJobs);
    while (next < indices.size() || !running.empty()) {
      while (next < indices.size() && running.size() < jobs) {
        const std::size_t index = indices[next++];
        int fds[2];
        if (::pipe2(fds, O_CLOEXEC) != 0) systemFailure("pipe");
        std::cout.flush();
        std::cerr.flush();
        const pid_t pid = ::fork();
        if (pid < 0) systemFailure("fork");
        if (pid == 0) {
          ::close(fds[0]);
          runCell(index + 1, cells[index], device, recordings.at(cells[index].recording), options, settingsLock, self, fds[1]);
        }
        ::close(fds[1]);
        running.push_back({index, pid, fds[0], {}, Clock::now() + limit, false});
        for (auto& slot : runningCells) {
          if (slot == 0) {
            slot = pid;
            break;
          }
        }
      }
      std::vector<pollfd> polls;
      auto soonest = Clock::time_point::max();
      for (const Running& r : running) {
        polls.push_back({r.fd, POLLIN, 0});
        soonest = std::min(soonest, r.deadline);
      }
      const auto wait = std::chrono::duration_cast<std::chrono::milliseconds>(soonest - Clock::now()).count();
      const int ready = ::poll(polls.data(), polls.size(), static_cast<int>(std::clamp<long long>(wait + 1, 0, 60000)));
      if (ready < 0 && errno != EINTR) systemFailure("poll");
      for (std::size_t i = running.size(); i-- > 0;) {
        Running& r = running[i];
        bool ended = ready > 0 && (polls[i].revents & (POLLIN | POLLHUP | POLLERR)) != 0 && readSome(r);
        if (!ended && Clock::now() >= r.deadline) {
          ::kill(r.pid, SIGKILL);
          r.killed = true;
          ended = true;
        }
        if (!ended) continue;
        int waitStatus = 0;
        reap(r.pid, waitStatus);
        for (auto& slot : runningCells) {
          if (slot == r.pid) slot = 0;
        }
        ::close(r.fd);
        finish(cells[r.index], r, waitStatus);
        writeAll(report, outcomeLine(r.index, cells[r.index]));
        running.erase(running.begin() + static_cast<std::ptrdiff_t>(i));
      }
    }
  } catch (const std::exception& error) {
    writeAll(report, nlohmann::json{{"error", error.what()}}.dump(-1, ' ', false, nlohmann::json::error_handler_t::replace) + "\n");
    status = 2;
  }
  ::close(report);
  std::error_code ignored;
  std::filesystem::remove_all(work, ignored);
  std::cout.flush();
  std::cerr.flush();
  ::_exit(status);
}

// The cells in groups that can fork from one booted device: alike in every setting the
// tweak reads only at start. In the order of their first cells.
std::vector<std::vector<std::size_t>> deviceGroups(const std::vector<Cell>& cells,
                                                  const std::optional<GivenFile>& settingsFile) {
  std::vector<std::pair<plist::Dictionary, std::vector<std::size_t>>> groups;
  for (std::size_t i = 0; i < cells.size(); ++i) {
    plist::Dictionary atStart;
    for (const auto& [key, value] : replaySettingsFile(cells[i].settings, settingsFile).dictionary) {
      if (readAtStart(key)) atStart.insert_or_assign(key, value);
    }
    auto found = std::find_if(groups.begin(), groups.end(), [&](const auto& group) { return group.first == atStart; });
    if (found == groups.end()) found = groups.insert(groups.end(), {atStart, {}});
    found->second.push_back(i);
  }
  std::vector<std::vector<std::size_t>> indices;
  for (auto& group : groups) indices.push_back(std::move(group.second));
  return indices;
}

}  // namespace

std::string cellOutputName(std::size_t number) {
  char name[32];
  std::snprintf(name, sizeof name, "cell-%04zu.jsonl", number);
  return name;
}

void runCells(std::vector<Cell>& cells, const LoadedRecordings& recordings, const CellRunOptions& options,
              std::ostream& errors) {
  onStop(&stopGroup, false);
  std::size_t done = 0;
  auto showProgress = [&] {
    if (options.progress) errors << "\rsweep: " << done << " of " << cells.size() << " cells" << std::flush;
  };
  showProgress();
  // A booted device's process tells of a cell at least once a cell's time limit (it stops
  // cells that run longer); one silent far longer than that is stuck.
  const auto silence = std::chrono::duration_cast<Clock::duration>(std::chrono::duration<double>(options.cellSeconds + 30));
  const pid_t self = ::getpid();
  for (const std::vector<std::size_t>& group : deviceGroups(cells, options.settingsFile)) {
    const RemovedAfter workDirectory{makeWorkDirectory()};
    const std::filesystem::path& work = workDirectory.directory;
    int fds[2];
    if (::pipe2(fds, O_CLOEXEC) != 0) systemFailure("pipe");
    std::cout.flush();
    errors.flush();
    const pid_t pid = ::fork();
    if (pid < 0) systemFailure("fork");
    if (pid == 0) {
      ::close(fds[0]);
      runDevice(cells, group, recordings, options, work, self, fds[1]);
    }
    ::close(fds[1]);
    ::setpgid(pid, pid);  // as the child does, whichever comes first
    runningGroup = pid;
    std::vector<bool> told(group.size(), false);
    std::string problem;
    Running device{0, pid, fds[0], {}, Clock::now() + silence, false};
    for (;;) {
      pollfd poll{device.fd, POLLIN, 0};
      const auto wait = std::chrono::duration_cast<std::chrono::milliseconds>(device.deadline - Clock::now()).count();
      const int ready = ::poll(&poll, 1, static_cast<int>(std::clamp<long long>(wait + 1, 0, 60000)));
      if (ready < 0 && errno != EINTR) systemFailure("poll");
      const bool ended = ready > 0 && readSome(device);
      for (std::size_t newline; (newline = device.answer.find('\n')) != std::string::npos;) {
        const auto line = nlohmann::json::parse(device.answer.substr(0, newline), nullptr, false);
        device.answer.erase(0, newline + 1);
        device.deadline = Clock::now() + silence;
        if (line.is_object() && line.contains("error")) problem = line["error"].is_string() ? line["error"].get<std::string>() : "";
        if (!line.is_object() || !line.contains("cell") || !line["cell"].is_number_unsigned()) continue;
        const std::size_t index = line["cell"].get<std::size_t>();
        const auto at = std::find(group.begin(), group.end(), index);
        if (at == group.end() || told[static_cast<std::size_t>(at - group.begin())]) continue;
        told[static_cast<std::size_t>(at - group.begin())] = true;
        takeOutcome(line, cells[index]);
        ++done;
        showProgress();
      }
      if (ended) break;
      if (Clock::now() >= device.deadline) {
        ::kill(-pid, SIGKILL);
        device.killed = true;
        problem = "its booted device stopped answering";
        break;
      }
    }
    int status = 0;
    reap(pid, status);
    runningGroup = 0;
    ::close(device.fd);
    if (problem.empty()) {
      problem = WIFSIGNALED(status) ? std::string("its booted device crashed: ") + strsignal(WTERMSIG(status))
                                    : "its booted device ended (status " + std::to_string(WEXITSTATUS(status)) + ") before it";
    } else if (!device.killed) {
      problem = "its booted device failed: " + problem;
    }
    for (std::size_t i = 0; i < group.size(); ++i) {
      if (told[i]) continue;
      Cell& cell = cells[group[i]];
      cell.status = device.killed ? Cell::Status::TimedOut : Cell::Status::Crashed;
      cell.problem = problem;
      ++done;
    }
    showProgress();
  }
  if (options.progress) errors << "\r\033[K" << std::flush;
}

}  // namespace sim
