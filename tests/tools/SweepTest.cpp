// `tessaro-sim sweep`: a grid of settings against recordings, each cell its own device.

#include "tests/tools/SimulatorFixture.h"

#include <signal.h>
#include <spawn.h>

#include <chrono>
#include <map>
#include <thread>

extern char** environ;

namespace {

using namespace simtest;

class Sweep : public Simulator {
 protected:
  void SetUp() override {
    Simulator::SetUp();
    std::string lift = "timestamp,gx,gy,gz,ux,uy,uz\n";
    std::string shake = lift;
    for (int i = 0; i <= 400; ++i) {
      const double t = i * 0.01;
      lift += std::to_string(t) + (t < 2 ? ",0,0,-1,0,0,0\n" : ",0,-0.85,-0.5,0,0,0\n");
      shake += std::to_string(t) + (t >= 2 ? ",0,0,-1,2.5,0,0\n" : ",0,0,-1,0,0,0\n");
    }
    lift_ = write("lift.csv", lift);
    shake_ = write("shake.csv", shake);
  }

  static std::map<std::string, nlohmann::json> cellsByKey(const Result& result) {
    std::map<std::string, nlohmann::json> cells;
    for (const auto& line : jsonLines(result)) {
      if (line["event"] != "cell") continue;
      cells[std::filesystem::path(line["recording"].get<std::string>()).filename().string() + " " +
            line["settings"].dump()] = line;
    }
    return cells;
  }

  // The shared recordings and the docs' pick-up (a wake, then the face-down lock), by
  // absolute path, so that a plan's commands run from anywhere.
  static std::vector<std::string> realRecordings() {
    std::vector<std::string> files = {TESSARO_PICK_UP_RECORDING};
    const std::filesystem::path shared = TESSARO_MOTION_RECORDINGS;
    if (!std::filesystem::is_directory(shared)) return {};
    for (const char* name : {"flat-face-up.json", "hand-in-lap.json", "stand-in-pocket.json", "walk-in-pocket.json"}) {
      files.push_back(std::filesystem::weakly_canonical(shared / name).string());
    }
    return files;
  }

  // Runs a shell command in the test's directory.
  Result shell(const std::string& command) { return runCommand("cd " + shellQuoted(directory_.string()) + " && " + command); }

  // Every cell of the sweep, run as a plain `tessaro-sim replay` by its plan's command,
  // writes the same bytes the sweep's own cell wrote.
  void expectCellsEqualPlainReplays(const std::vector<std::string>& grid) {
    std::vector<std::string> arguments = {"sweep"};
    for (const std::string& file : realRecordings()) arguments.push_back(file);
    arguments.insert(arguments.end(), grid.begin(), grid.end());
    const auto sweptDirectory = directory_ / "swept";
    std::vector<std::string> swept = arguments;
    for (const std::string& more : {std::string("--outputs"), sweptDirectory.string(), std::string("--jobs"), std::string("2")}) {
      swept.push_back(more);
    }
    const Result sweep = run(swept);
    ASSERT_EQ(sweep.status, 0) << sweep.err;

    arguments.push_back("--plan");
    const Result plan = run(arguments);
    ASSERT_EQ(plan.status, 0) << plan.err;
    std::filesystem::create_directories(directory_ / "plain");
    std::string script;
    const auto cells = jsonLines(plan);
    for (const auto& cell : cells) script += cell["command"].get<std::string>() + " || exit 1\n";
    write("plain/plan.sh", script);
    // The plain replays' device files in memory where there is such a place, as the sweep's.
    const std::string tmpdir = std::filesystem::is_directory("/dev/shm") ? "TMPDIR=/dev/shm " : "";
    const Result plain = shell("cd plain && " + tmpdir + "sh plan.sh");
    ASSERT_EQ(plain.status, 0) << plain.err;

    std::string everything;
    for (const auto& cell : cells) {
      const std::string name = cell["output"];
      SCOPED_TRACE(name + ": " + cell["recording"].get<std::string>() + " " + cell["settings"].dump());
      const std::string expected = slurp(directory_ / "plain" / name);
      ASSERT_FALSE(expected.empty());
      EXPECT_EQ(slurp(sweptDirectory / name), expected);
      everything += expected;
    }
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(sweptDirectory), std::filesystem::directory_iterator()),
              static_cast<std::ptrdiff_t>(cells.size()));
    lines_ = everything;
  }

  std::filesystem::path lift_, shake_;
  std::string lines_;
};

TEST_F(Sweep, EachCellAgreesWithASingleReplayOfTheSameSettings) {
  const Result sweep = run({"sweep", lift_.string(), shake_.string(), "--grid", "wakeGestureMode=0,1", "--json", "--jobs", "2"});
  ASSERT_EQ(sweep.status, 0) << sweep.err;
  const auto cells = cellsByKey(sweep);
  ASSERT_EQ(cells.size(), 4u) << sweep.out;
  for (const auto& file : {lift_, shake_}) {
    for (const char* mode : {"0", "1"}) {
      SCOPED_TRACE(file.filename().string() + " wakeGestureMode " + mode);
      const Result single = run({"replay", file.string(), "--json", "--set", std::string("wakeGestureMode=") + mode});
      ASSERT_EQ(single.status, 0) << single.err;
      const auto summary = jsonLines(single).back();
      const auto& cell = cells.at(file.filename().string() + " {\"wakeGestureMode\":\"" + mode + "\"}");
      EXPECT_EQ(cell["status"], "ok");
      for (const char* key : {"readings", "motionWakes", "timeoutLightings", "lockPresses", "firstMotionWake", "steps"}) {
        EXPECT_EQ(cell[key], summary[key]) << key;
      }
    }
  }
  // The lift wakes in pick-up mode, the shake in any-motion mode: the totals say so.
  EXPECT_EQ(cells.at("lift.csv {\"wakeGestureMode\":\"0\"}")["motionWakes"], 1);
  EXPECT_GE(cells.at("shake.csv {\"wakeGestureMode\":\"1\"}")["motionWakes"], 1);
  int totals = 0;
  for (const auto& line : jsonLines(sweep)) {
    if (line["event"] != "totals") continue;
    ++totals;
    EXPECT_EQ(line["cells"], 2);
    EXPECT_EQ(line["recordingsWoken"], 1) << line;
  }
  EXPECT_EQ(totals, 2);

  const Result csv = run({"sweep", lift_.string(), "--grid", "wakeGestureMode=0,1", "--csv"});
  ASSERT_EQ(csv.status, 0) << csv.err;
  ASSERT_EQ(csv.lines().size(), 3u) << csv.out;
  EXPECT_EQ(csv.lines()[0], "recording,wakeGestureMode,status,readings,motion_wakes,timeout_lightings,home_button_wakes,"
                            "lock_presses,first_motion_wake");
}

TEST_F(Sweep, ACrashingOrHangingCellIsReportedAndTheSweepGoesOn) {
  ::setenv("TESSARO_SWEEP_FAULT", "2:crash", 1);
  const Result crashed = run({"sweep", lift_.string(), "--grid", "motionSenstivity=3,5,7", "--json"});
  ::setenv("TESSARO_SWEEP_FAULT", "1:hang", 1);
  const Result hung = run({"sweep", lift_.string(), "--grid", "motionSenstivity=3,5", "--json", "--cell-timeout", "2"});
  ::unsetenv("TESSARO_SWEEP_FAULT");

  EXPECT_EQ(crashed.status, 1);
  std::vector<std::string> statuses;
  for (const auto& line : jsonLines(crashed)) {
    if (line["event"] == "cell") statuses.push_back(line["status"]);
  }
  EXPECT_EQ(statuses, (std::vector<std::string>{"ok", "crashed", "ok"}));
  EXPECT_NE(crashed.err.find("crashed"), std::string::npos) << crashed.err;

  EXPECT_EQ(hung.status, 1);
  statuses.clear();
  for (const auto& line : jsonLines(hung)) {
    if (line["event"] == "cell") statuses.push_back(line["status"]);
  }
  EXPECT_EQ(statuses, (std::vector<std::string>{"timed out", "ok"}));
}

TEST_F(Sweep, APlanRunElsewhereMergesIntoTheSameTable) {
  const std::vector<std::string> sweepArguments = {"sweep", lift_.string(), shake_.string(), "--grid", "wakeGestureMode=0,1",
                                                   "--set", "disableMotionDetectionSlider=1"};
  std::vector<std::string> planArguments = sweepArguments;
  planArguments.push_back("--plan");
  const Result plan = run(planArguments);
  ASSERT_EQ(plan.status, 0) << plan.err;
  const auto cells = jsonLines(plan);
  ASSERT_EQ(cells.size(), 4u);
  std::vector<std::string> outputs;
  for (const auto& cell : cells) {
    // Each a complete command: run it as a batch engine would, in the test's directory.
    const std::string command = "cd " + shellQuoted(directory_.string()) + " && " + cell["command"].get<std::string>();
    ASSERT_EQ(std::system(command.c_str()), 0) << command;
    outputs.push_back((directory_ / cell["output"].get<std::string>()).string());
  }
  std::vector<std::string> mergeArguments = {"sweep", "--merge"};
  mergeArguments.insert(mergeArguments.end(), outputs.begin(), outputs.end());
  const Result merged = run(mergeArguments);
  ASSERT_EQ(merged.status, 0) << merged.err;
  const Result swept = run(sweepArguments);
  ASSERT_EQ(swept.status, 0) << swept.err;
  EXPECT_EQ(merged.out, swept.out);

  // An output cut short is a cell that did not finish, not a cell that did not wake.
  write("cut.jsonl", slurp(outputs.front()).substr(0, 40));
  const Result cut = run({"sweep", "--merge", (directory_ / "cut.jsonl").string()});
  EXPECT_NE(cut.status, 0);
}

// Cells fork from a booted device and take their settings as the settings editor gives
// them. Over the shared recordings and grids that touch every key a replay reads, each cell's
// whole output is what a plain replay prints: the motion keys here, with the tweak switched
// on and off by the reload, the time-out ending detection inside the recordings.
TEST_F(Sweep, EveryCellIsAPlainReplayUnderTheMotionKeys) {
  if (realRecordings().empty()) GTEST_SKIP() << "no shared recordings";
  expectCellsEqualPlainReplays({"--grid", "isEnabled=NO,YES", "--grid", "wakeGestureMode=0,1,2", "--grid",
                                "isWakeScreenSensitivityEnabled=NO,YES", "--grid", "wakeMode=1,0", "--grid",
                                "motionSenstivity=0.5", "--grid", "isUpdateIntervalEnabled=YES", "--grid",
                                "updateIntervalSlider=1", "--grid", "disableMotionDetectionSlider=0.2"});
  // The grid reaches what it is meant to: wakes, the face-down lock, time-out lightings.
  EXPECT_NE(lines_.find("\"lighting\":\"motion wake\""), std::string::npos);
  EXPECT_NE(lines_.find("lock (simulated)"), std::string::npos);
  EXPECT_NE(lines_.find("\"lighting\":\"time-out lighting\""), std::string::npos);
}

// The same for the time-out keys, home-button mode and the keys the tweak reads at start
// (cells that differ in those fork from devices booted with their values), and the
// home-button and styling keys a replay never uses.
TEST_F(Sweep, EveryCellIsAPlainReplayUnderTheTimeoutAndStartKeys) {
  if (realRecordings().empty()) GTEST_SKIP() << "no shared recordings";
  expectCellsEqualPlainReplays({"--grid", "isAllowTapOnScreenOffEnabled=YES,NO", "--grid", "isReachavilityDisabled=NO,YES",
                                "--grid", "isMotionDetectorReEnabled=NO,YES", "--grid", "disableDetectionMode=0,1",
                                "--grid", "disableMotionDetectionSlider=0.1", "--grid", "wakeMode=1", "--grid",
                                "tapToWakeMode=0", "--grid", "isVibrationEnabled=YES", "--grid", "vibrationIntensity=0.3",
                                "--grid", "vibrationDuration=50", "--grid", "bgTessaroColor=\"#D78449\""});
  EXPECT_NE(lines_.find("-[SBUIBiometricResource disableDetection]"), std::string::npos) << "the home-button time-out fired";
}

TEST_F(Sweep, ALabelledPlanRunByGnuParallelMergesIntoTheSweepsOwnAnswer) {
  const auto files = realRecordings();
  if (files.empty()) GTEST_SKIP() << "no shared recordings";
  ASSERT_EQ(shell("command -v parallel && command -v jq").status, 0) << "GNU parallel and jq: scripts/install-deps.sh";
  write("labels.csv",
        "recording,expect,by\npick-up-and-put-down.csv,wake,6\nflat-face-up.json,no-wake\nhand-in-lap.json,no-wake\n"
        "stand-in-pocket.json,no-wake\n");
  const std::string labels = (directory_ / "labels.csv").string();
  std::vector<std::string> sweep = {"sweep"};
  sweep.insert(sweep.end(), files.begin(), files.end());
  for (const char* more : {"walk-in-pocket.json:no-wake", "--labels", labels.c_str(), "--grid", "wakeGestureMode=0,1,2", "--grid",
                           "isWakeScreenSensitivityEnabled=NO,YES", "--set", "isUpdateIntervalEnabled=YES", "--set",
                           "updateIntervalSlider=2"}) {
    sweep.push_back(more);
  }
  std::vector<std::string> plan = sweep;
  plan.push_back("--plan");
  const Result planned = run(plan);
  ASSERT_EQ(planned.status, 0) << planned.err;
  write("plan.jsonl", planned.out);
  // The worked example of docs/SCENARIOS.md, on this machine.
  const Result parallel =
      shell("jq -r '[.output, .command] | @tsv' plan.jsonl | parallel -j 2 --colsep '\\t' --return {1} --cleanup eval {2}");
  ASSERT_EQ(parallel.status, 0) << parallel.err;

  for (const std::string form : {"--quiet", "--json", "--csv"}) {
    SCOPED_TRACE(form);
    std::vector<std::string> own = sweep;
    for (const std::string& more : {form, std::string("--rank")}) own.push_back(more);
    const Result swept = run(own);
    ASSERT_EQ(swept.status, 0) << swept.err;
    const Result merged = shell(shellQuoted(TESSARO_SIM) + " sweep --merge cell-*.jsonl walk-in-pocket.json:no-wake --labels " +
                                shellQuoted(labels) + " " + form + " --rank");
    ASSERT_EQ(merged.status, 0) << merged.err;
    EXPECT_EQ(merged.out, swept.out);
    if (form == "--quiet") {
      // Pick-up mode wakes the pick-up in time and nothing else.
      EXPECT_NE(swept.out.find("\nbest: --set isUpdateIntervalEnabled=YES --set isWakeScreenSensitivityEnabled=NO --set "
                               "updateIntervalSlider=2 --set wakeGestureMode=0\n"),
                std::string::npos)
          << swept.out;
    }
  }
}

TEST_F(Sweep, LabelsPlotsAndRankingsThatCannotBeAnsweredAreRefusedBeforeAnyCellRuns) {
  const auto labels = write("labels.csv", "lift.csv,wake\nshake.csv,no-wake\n").string();
  const std::string lift = lift_.string(), shake = shake_.string();
  struct Case {
    std::vector<std::string> arguments;
    std::string message;
  };
  const std::vector<Case> cases = {
      {{"sweep", lift, shake, "lift.csv:wake", "--grid", "wakeMode=0,1"}, "no label for " + shake},
      {{"sweep", lift, "--labels", labels, "--grid", "wakeMode=0,1"}, labels + ":2: shake.csv names no given recording"},
      {{"sweep", lift, "--grid", "wakeMode=0,1", "--rank"}, "--rank ranks by the labels"},
      {{"sweep", lift, "--grid", "wakeMode=0,1", "--plot", (directory_ / "p.png").string()}, "--plot draws the missed and false wakes"},
      {{"sweep", lift, "lift.csv:wake", "--grid", "wakeMode=0,1", "--grid", "wakeGestureMode=0,1", "--grid", "motionSenstivity=1,2",
        "--plot", (directory_ / "p.png").string()},
       "3 grid keys vary (motionSenstivity, wakeGestureMode, wakeMode): choose one or two"},
      {{"sweep", lift, "lift.csv:wake", "--grid", "wakeMode=0,1", "--plot", (directory_ / "p.png").string(), "--plot-keys", "x"},
       "--plot-keys x: not a grid key that varies (wakeMode)"},
      {{"sweep", lift, "lift.csv:wake", "--grid", "wakeMode=0,1", "--plot", (directory_ / "p.pdf").string()}, "a plot is a .png or .svg"},
      {{"sweep", lift, "--labels", (directory_ / "none.csv").string()}, (directory_ / "none.csv").string() + ": cannot open"},
      {{"sweep", lift, "--labels", "/dev/null"}, "/dev/null: not a regular file"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.message);
    const Result result = run(c.arguments);
    EXPECT_EQ(result.status, 2);
    EXPECT_EQ(result.out, "");
    EXPECT_NE(result.err.find(c.message), std::string::npos) << result.err;
  }

  // Answerable: two keys drawn, one held at its best value; a key that changes nothing named.
  const auto png = directory_ / "errors.png";
  const Result drawn = run({"sweep", lift, shake, "--labels", labels, "--grid", "wakeGestureMode=0,1", "--grid", "wakeMode=0,1",
                            "--grid", "motionSenstivity=1,2", "--plot", png.string(), "--plot-keys", "wakeGestureMode,wakeMode"});
  ASSERT_EQ(drawn.status, 0) << drawn.err;
  EXPECT_EQ(slurp(png).substr(1, 3), "PNG");
  EXPECT_NE(drawn.err.find("warning: motionSenstivity makes no difference here: isWakeScreenSensitivityEnabled is off in every cell"),
            std::string::npos)
      << drawn.err;
}

// SIGTERM to the sweep stops the booted device and its cells, and each removes its files.
TEST_F(Sweep, StoppingTheSweepStopsEveryProcessItStartedAndLeavesNoFiles) {
  const auto tmp = directory_ / "tmp";
  std::filesystem::create_directories(tmp);
  ::setenv("TMPDIR", tmp.c_str(), 1);
  ::setenv("TESSARO_SWEEP_FAULT", "2:hang", 1);
  std::vector<std::string> words = {TESSARO_SIM, "sweep", lift_.string(), "--grid", "wakeMode=0,1,2", "--jobs", "2"};
  std::vector<char*> argv;
  for (std::string& word : words) argv.push_back(word.data());
  argv.push_back(nullptr);
  pid_t pid = -1;
  ASSERT_EQ(::posix_spawn(&pid, TESSARO_SIM, nullptr, nullptr, argv.data(), environ), 0);
  ::unsetenv("TESSARO_SWEEP_FAULT");
  ::unsetenv("TMPDIR");
  // Running: a device directory is there.
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(30);
  while (std::filesystem::is_empty(tmp) && std::chrono::steady_clock::now() < deadline) {
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
  }
  ASSERT_FALSE(std::filesystem::is_empty(tmp));
  std::this_thread::sleep_for(std::chrono::milliseconds(300));
  ::kill(pid, SIGTERM);
  int status = 0;
  ASSERT_EQ(::waitpid(pid, &status, 0), pid);
  EXPECT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == SIGTERM);

  // The processes it started are the sweep forked: their command lines name the recording.
  auto leftovers = [&] {
    int found = 0;
    for (const auto& entry : std::filesystem::directory_iterator("/proc")) {
      if (slurp(entry.path() / "cmdline").find(lift_.string()) != std::string::npos) ++found;
    }
    return found;
  };
  while ((leftovers() > 0 || !std::filesystem::is_empty(tmp)) && std::chrono::steady_clock::now() < deadline) {
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
  }
  EXPECT_EQ(leftovers(), 0);
  EXPECT_TRUE(std::filesystem::is_empty(tmp));
}

TEST_F(Sweep, BadGridsAndRecordingsAreRefusedBeforeAnyCellRuns) {
  EXPECT_EQ(run({"sweep", lift_.string(), "--grid", "wakeGestureMode"}).status, 2);
  EXPECT_EQ(run({"sweep", lift_.string(), "--grid", "wakeGestureMode=0,x y"}).status, 2);
  EXPECT_EQ(run({"sweep", lift_.string(), "--grid", "wakeGestureMod=0,1", "--strict"}).status, 2);
  const Result bad = run({"sweep", lift_.string(), write("bad.csv", "0,0,0,-1,0,0\n").string(), "--grid", "wakeGestureMode=0,1"});
  EXPECT_EQ(bad.status, 2);
  EXPECT_EQ(bad.out, "");
  EXPECT_EQ(run({"sweep", lift_.string(), "--keep-root", (directory_ / "k").string()}).status, 2);
}

}  // namespace
