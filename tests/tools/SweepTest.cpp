// `tessaro-sim sweep`: a grid of settings against recordings, each cell its own device.

#include "tests/tools/SimulatorFixture.h"

#include <map>

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

  std::filesystem::path lift_, shake_;
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
