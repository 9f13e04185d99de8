// The built tessaro-sim, run as a user runs it.

#include <nlohmann/json.hpp>

#include <gtest/gtest.h>

#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <fstream>
#include <regex>
#include <sstream>
#include <string>
#include <vector>

#include "tests/tools/SimulatorFixture.h"

namespace {

using namespace simtest;

// ---- Scenarios --------------------------------------------------------------------------

// Needs the tweak's motion wake: the lift lights the display.
TEST_F(Simulator, DefaultScenarioLightsTheDisplayOnceAfterTheLockPress) {
  const Result result = run({"--json"});
  ASSERT_EQ(result.status, 0) << result.err << result.out;
  EXPECT_EQ(result.err, "");
  bool locked = false;
  int wakesAfterLock = 0;
  for (const auto& event : jsonLines(result)) {
    if (event["event"] == "button" && event["text"] == "lock") locked = true;
    if (locked && event["event"] == "display" && event["text"] == "on") ++wakesAfterLock;
  }
  EXPECT_TRUE(locked);
  EXPECT_EQ(wakesAfterLock, 1);
}

TEST_F(Simulator, JsonLinesAllParseWithTimeAndEventInTimeOrder) {
  const Result result = run({"--json"});
  const auto events = jsonLines(result);
  ASSERT_GT(events.size(), 10u);
  double last = 0;
  for (const auto& event : events) {
    ASSERT_TRUE(event.contains("time") && event["time"].is_number()) << event;
    ASSERT_TRUE(event.contains("event") && event["event"].is_string()) << event;
    ASSERT_TRUE(event["text"].is_string()) << event;
    EXPECT_GE(event["time"].get<double>(), last) << event;
    last = event["time"];
  }
  // Everything is there: the start-up's hooks and the observers the tweak registered.
  EXPECT_EQ(std::count_if(events.begin(), events.end(), [](const auto& e) { return e["event"] == "notification.observer"; }), 4);
  EXPECT_GT(std::count_if(events.begin(), events.end(), [](const auto& e) { return e["event"] == "hook"; }), 30);
}

TEST_F(Simulator, TextShowsEachHookAndQuietCountsThem) {
  const Result normal = run({});
  const Result quiet = run({"--quiet"});
  ASSERT_EQ(normal.status, 0) << normal.err;
  ASSERT_EQ(quiet.status, 0) << quiet.err;
  const std::regex shape(R"( *\d+\.\d{3}  [a-zA-Z.]+ +\S.*)");
  for (const auto& line : normal.lines()) EXPECT_TRUE(std::regex_match(line, shape)) << line;
  EXPECT_NE(normal.out.find("    0.000  hook                   -[SBLockScreenManager lockScreenViewControllerDidPresent] hooked\n"),
            std::string::npos);
  EXPECT_NE(normal.out.find("notification.observer  com.brel.tessaro.prefschanged"), std::string::npos);
  EXPECT_EQ(quiet.out.find("lockScreenViewControllerDidPresent] hooked"), std::string::npos);
  EXPECT_NE(quiet.out.find(" methods hooked or added"), std::string::npos);
  EXPECT_LT(quiet.lines().size(), normal.lines().size() / 2);
}

TEST_F(Simulator, TheBuiltInScenarioIsTheShippedFile) {
  const Result shown = run({"--show-default"});
  EXPECT_EQ(shown.out, slurp(TESSARO_DEFAULT_SCENARIO_FILE));
  // And running either tells the same story, but for the device root's name.
  auto story = [](const Result& result) {
    std::vector<std::string> lines;
    for (const auto& event : jsonLines(result)) {
      if (event["event"] != "boot") lines.push_back(event.dump());
    }
    return lines;
  };
  EXPECT_EQ(story(run({"--json"})), story(run({"--json", TESSARO_DEFAULT_SCENARIO_FILE})));
}

TEST_F(Simulator, AFailedExpectationNamesItsLineAndStopsTheRunWithStatusOne) {
  const auto scenario = write("fails.scenario",
                              "set isEnabled YES\n"
                              "press lock\n"
                              "# the display just went dark\n"
                              "expect display on\n"
                              "post com.example.after\n");
  const Result result = run({scenario.string()});
  EXPECT_EQ(result.status, 1);
  EXPECT_EQ(result.err, scenario.string() + ":4: expected display on, got off\n");
  EXPECT_EQ(result.out.find("com.example.after"), std::string::npos) << "ran past the failure";
}

TEST_F(Simulator, ExpectationsOnSettingsCountsAndStateHold) {
  // A set line after boot writes the file and tells the tweak, as the settings editor does.
  const auto scenario = write("holds.scenario",
                              "set isEnabled YES\n"
                              "set wakeMode 0\n"
                              "boot\n"
                              "set vibrationDuration 45\n"
                              "expect setting vibrationDuration 45\n"
                              "expect setting isEnabled YES\n"
                              "expect setting tapToWakeMode absent\n"
                              "expect count notification.posted \"com.brel.tessaro.prefschanged\" == 1\n"
                              "expect count file.write >= 2\n"
                              "press lock\n"
                              "expect count button \"lock\" == 1\n"
                              "expect lockscreen up\n"
                              "expect display off\n"
                              "low-power on\n"
                              "expect count lowPowerMode \"on\" == 1\n");
  const Result result = run({scenario.string()});
  EXPECT_EQ(result.status, 0) << result.err;
  EXPECT_NE(result.out.find("done: 9 expectation(s) met"), std::string::npos) << result.out;
}

TEST_F(Simulator, AnIdleSleepingDeviceHoldsItsTimeoutUntilWoken) {
  const auto scenario = write("sleep.scenario",
                              "idle-sleep\n"
                              "set isEnabled YES\n"
                              "set disableMotionDetectionSlider 0.5\n"
                              "press lock\n"
                              "wait 1m\n"
                              "expect count sleep \"asleep\" == 1\n"
                              "expect count timer == 0\n"
                              "press lock\n"
                              "wait 0.1\n"
                              "expect count timer \"-[SBLockScreenManager disableDetection]\" == 1\n");
  const Result result = run({scenario.string()});
  EXPECT_EQ(result.status, 0) << result.err;
}

// The shipped scenarios are the documentation's examples: each holds.
TEST_F(Simulator, EveryShippedScenarioHolds) {
  const auto directory = std::filesystem::path(TESSARO_DEFAULT_SCENARIO_FILE).parent_path();
  int scenarios = 0;
  for (const auto& entry : std::filesystem::directory_iterator(directory)) {
    if (entry.path().extension() != ".scenario") continue;
    ++scenarios;
    const Result result = run({entry.path().string(), "--quiet"});
    EXPECT_EQ(result.status, 0) << entry.path() << "\n" << result.err << result.out;
  }
  EXPECT_GE(scenarios, 8);
}

TEST_F(Simulator, TheTimelineShowsTheGesturesTheTweaksDecisionAndWhoLitTheDisplay) {
  const auto scenario = write("hold.scenario",
                              "set isEnabled YES\n"
                              "set isAllowTapOnScreenOffEnabled YES\n"
                              "set tapToWakeMode 2\n"
                              "set isVibrationEnabled YES\n"
                              "press lock\n"
                              "hold home 1\n");
  const Result text = run({scenario.string()});
  ASSERT_EQ(text.status, 0) << text.err;
  for (const char* line : {"    0.000  button                 home down\n",
                           "    0.400  gesture                UILongPressGestureRecognizer(longTapFired:) possible -> began\n",
                           "    0.400  tweak                  -[SBHomeHardwareButton performTheAction]\n",
                           "    0.400  vibration              sound 4095 pattern [true,30] intensity 0.750000\n",
                           "    0.400  display                on (by -[SpringBoard _turnScreenOnOnDashBoardWithCompletion:])\n",
                           "    1.000  button                 home up\n"}) {
    EXPECT_NE(text.out.find(line), std::string::npos) << line << text.out;
  }
  const Result json = run({scenario.string(), "--json"});
  bool began = false;
  for (const auto& event : jsonLines(json)) {
    if (event["event"] != "gesture" || event.value("to", "") != "began") continue;
    began = true;
    EXPECT_EQ(event["recognizer"], "UILongPressGestureRecognizer(longTapFired:)");
    EXPECT_EQ(event["from"], "possible");
  }
  EXPECT_TRUE(began);
}

TEST_F(Simulator, ABadScenarioFailsWithStatusTwoBeforeRunningAnything) {
  const auto scenario = write("bad.scenario", "press lock\nwait 1\n\nwait forever\n");
  const Result result = run({scenario.string()});
  EXPECT_EQ(result.status, 2);
  EXPECT_EQ(result.err.rfind(scenario.string() + ":4: bad duration \"forever\"", 0), 0u) << result.err;
  EXPECT_EQ(result.out, "") << "nothing runs before the whole file is checked";
}

TEST_F(Simulator, BadArgumentsExitTwoAndHelpExitsZero) {
  EXPECT_EQ(run({"--no-such-option"}).status, 2);
  EXPECT_EQ(run({(directory_ / "missing.scenario").string()}).status, 2);
  EXPECT_EQ(run({"replay"}).status, 2);
  EXPECT_EQ(run({"replay", "x.json", "--set", "noequals"}).status, 2);
  const Result help = run({"--help"});
  EXPECT_EQ(help.status, 0);
  EXPECT_NE(help.out.find("replay"), std::string::npos);
  EXPECT_EQ(run({"replay", "--help"}).status, 0);
}

TEST_F(Simulator, RealtimeFollowsTheWallClock) {
  const auto scenario = write("slow.scenario", "realtime\nwait 0.3\n");
  const auto start = std::chrono::steady_clock::now();
  EXPECT_EQ(run({scenario.string()}).status, 0);
  EXPECT_GE(std::chrono::steady_clock::now() - start, std::chrono::milliseconds(300));
}

// ---- Control Center ---------------------------------------------------------------------

// A scenario of docs/scenarios, run where it writes its pictures (../images beside its
// folder) into this test's directory; answers how many PNG files it made.
}  // namespace

int simtest::Simulator::runDocsScenario(const std::filesystem::path& file, Result& result) {
  std::filesystem::create_directories(directory_ / "scenarios");
  std::filesystem::create_directories(directory_ / "images");
  const auto scenario = directory_ / "scenarios" / file.filename();
  std::filesystem::copy_file(file, scenario);
  result = run({scenario.string(), "--quiet"});
  int pictures = 0;
  for (const auto& entry : std::filesystem::directory_iterator(directory_ / "images")) {
    EXPECT_EQ(slurp(entry.path()).substr(1, 3), "PNG") << entry.path();
    ++pictures;
  }
  return pictures;
}

namespace {

// Needs the module bundle and the tweak's styling: the shipped scenario of the docs' pictures.
TEST_F(Simulator, TheControlCenterScenarioMakesItsPicturesAndEveryExpectationHolds) {
  Result result;
  EXPECT_EQ(runDocsScenario(TESSARO_CONTROL_CENTER_SCENARIO_FILE, result), 9);
  ASSERT_EQ(result.status, 0) << result.err << result.out;
  EXPECT_NE(result.out.find("toggle                 com.brel.control-center.tessaromodule tapped: on"), std::string::npos);
}

// Needs the repair run, the text views and the test progress image: the docs' pictures.
TEST_F(Simulator, TheRepairScenarioMakesItsPicturesAndEveryExpectationHolds) {
  Result result;
  EXPECT_EQ(runDocsScenario(TESSARO_REPAIR_SCENARIO_FILE, result), 8);
  ASSERT_EQ(result.status, 0) << result.err << result.out;
}

TEST_F(Simulator, AMissingProgressImageIsBadInputNamingTheLine) {
  const auto scenario = write("image.scenario", "set isEnabled YES\nprogress-image nowhere.png\n");
  const Result result = run({scenario.string()});
  EXPECT_EQ(result.status, 2);
  EXPECT_NE(result.err.find("image.scenario:2: no image file"), std::string::npos) << result.err;
}

// The width and height of a PNG from its header.
std::pair<int, int> pictureSize(const std::filesystem::path& file) {
  const std::string bytes = slurp(file);
  if (bytes.size() < 24) return {0, 0};
  auto number = [&bytes](std::size_t at) {
    return (static_cast<unsigned char>(bytes[at]) << 24) | (static_cast<unsigned char>(bytes[at + 1]) << 16) |
           (static_cast<unsigned char>(bytes[at + 2]) << 8) | static_cast<unsigned char>(bytes[at + 3]);
  };
  return {number(16), number(20)};
}

TEST_F(Simulator, TheLargerPhonesScreenIsPicturedAtThreeTimes) {
  const auto scenario = write("big.scenario", "screen 5.5\nboot\nsnapshot big.png\npress lock\nsnapshot dark.png\n");
  ASSERT_EQ(run({scenario.string()}).status, 0);
  EXPECT_EQ(pictureSize(directory_ / "big.png"), std::make_pair(1242, 2208));
  EXPECT_NE(slurp(directory_ / "big.png"), slurp(directory_ / "dark.png"));
}

TEST_F(Simulator, TheSameSeedGivesTheSameRandomColoursAndAnotherSeedOthers) {
  auto pictureWithSeed = [this](int seed) {
    const auto scenario = write("random.scenario", "seed " + std::to_string(seed) +
                                                       "\nstyle isEnabled YES\nstyle isColoredTogglesEnabled YES\n"
                                                       "style isRandomColorEnabled YES\nopen control-center\n"
                                                       "snapshot toggle tessaro random.png\n");
    EXPECT_EQ(run({scenario.string()}).status, 0);
    return slurp(directory_ / "random.png");
  };
  const std::string first = pictureWithSeed(5);
  EXPECT_EQ(pictureWithSeed(5), first);
  EXPECT_NE(pictureWithSeed(6), first);
}

TEST_F(Simulator, ATapOnAClosedControlCenterIsRefusedWithANote) {
  const auto scenario = write("closed.scenario", "tap toggle tessaro\nexpect toggle tessaro unselected\nexpect count toggle == 0\n");
  const Result result = run({scenario.string()});
  EXPECT_EQ(result.status, 0) << result.err;
  EXPECT_NE(result.out.find("tap refused: Control Center is not open"), std::string::npos);
}

TEST_F(Simulator, AToggleLookBeforeItsViewLoadedFailsTheExpectation) {
  const auto scenario = write("early.scenario", "expect toggle tessaro radius 19\n");
  const Result result = run({scenario.string()});
  EXPECT_EQ(result.status, 1);
  EXPECT_EQ(result.err, scenario.string() + ":1: expected toggle tessaro radius 19, got a toggle whose view has not loaded: open Control Center first\n");
}

TEST_F(Simulator, ASnapshotThatCannotBeWrittenIsBadInputNamingTheLine) {
  const auto scenario = write("unwritable.scenario", "boot\nsnapshot no/such/folder/screen.png\n");
  const Result result = run({scenario.string()});
  EXPECT_EQ(result.status, 2);
  EXPECT_EQ(result.err.rfind(scenario.string() + ":2: cannot write the snapshot ", 0), 0u) << result.err;
}

TEST_F(Simulator, AStyleLineAfterBootRewritesTheStylingFile) {
  const auto scenario = write("style.scenario",
                              "style isEnabled YES\nboot\nstyle isColoredTogglesEnabled YES\nset isEnabled YES\n"
                              "open control-center\nexpect toggle tessaro background \"#D78449\"\n");
  const Result result = run({scenario.string()});
  EXPECT_EQ(result.status, 0) << result.err << result.out;
  EXPECT_NE(result.out.find("styling file: isEnabled YES"), std::string::npos);
}

// ---- Replays ----------------------------------------------------------------------------

TEST_F(Simulator, EveryRecordedMotionReplaysToItsLastReading) {
  const std::filesystem::path shared = TESSARO_MOTION_RECORDINGS;
  if (!std::filesystem::is_directory(shared)) GTEST_SKIP() << "no " << shared;
  int replayed = 0;
  for (const auto& entry : std::filesystem::directory_iterator(shared)) {
    if (entry.path().extension() != ".json") continue;
    SCOPED_TRACE(entry.path().string());
    const auto elements = nlohmann::json::parse(std::ifstream(entry.path())).size();
    const Result result = run({"replay", entry.path().string(), "--json"});
    ASSERT_EQ(result.status, 0) << result.err;
    EXPECT_EQ(result.err, "") << "no progress into a pipe";
    const auto lines = jsonLines(result);
    ASSERT_FALSE(lines.empty());
    EXPECT_EQ(lines.front()["event"], "settings");
    EXPECT_EQ(lines.back()["event"], "summary");
    EXPECT_EQ(lines.back()["readings"], elements);
    for (const auto& line : lines) EXPECT_TRUE(line.contains("time") && line["time"].is_number()) << line;
    ++replayed;
  }
  EXPECT_GE(replayed, 1);
}

// Needs the tweak's motion wake.
TEST_F(Simulator, ALiftInACsvRecordingWakesOnceAndTheSummarySaysSo) {
  std::string csv = "timestamp,gx,gy,gz,ux,uy,uz\n";
  for (int i = 0; i <= 600; ++i) {
    const double t = i * 0.01;
    csv += std::to_string(t) + (t < 3 ? ",0,0,-1,0,0,0\n" : ",0,-0.85,-0.5,0,0,0\n");
  }
  const Result result = run({"replay", write("lift.csv", csv).string(), "--json"});
  ASSERT_EQ(result.status, 0) << result.err;
  auto lines = jsonLines(result);
  // The settings, the time-out armed at the first dark step, the wake, the summary.
  ASSERT_EQ(lines.size(), 4u) << result.out;
  EXPECT_EQ(lines[1]["event"], "timer.scheduled");
  EXPECT_EQ(lines[2]["event"], "display");
  EXPECT_EQ(lines[2]["text"], "on");
  EXPECT_EQ(lines[2]["lighting"], "motion wake");
  EXPECT_GE(lines[2]["time"].get<double>(), 3.0);
  const auto& summary = lines[3];
  EXPECT_EQ(summary["event"], "summary");
  EXPECT_EQ(summary["readings"], 601);
  EXPECT_EQ(summary["motionWakes"], 1);
  EXPECT_EQ(summary["timeoutLightings"], 0);
  EXPECT_EQ(summary["lockPresses"], 0);
  EXPECT_EQ(summary["firstMotionWake"], lines[2]["time"]);
}

// Needs the tweak's detection time-out.
TEST_F(Simulator, ASettingFromTheCommandLineShortensTheTimeout) {
  const auto csv = write("still.csv", "t,gx,gy,gz,ux,uy,uz\n0,0,0,-1,0,0,0\n8,0,0,-1,0,0,0\n");
  const Result result = run({"replay", csv.string(), "--set", "disableMotionDetectionSlider=0.05"});
  ASSERT_EQ(result.status, 0) << result.err;
  EXPECT_NE(result.out.find("timer                  -[SBLockScreenManager disableDetection]"), std::string::npos) << result.out;
  // The display lit by the time-out is no wake.
  EXPECT_NE(result.out.find("summary                2 readings over 8.000 s; 0 motion wakes, 1 time-out lighting, "
                            "0 home-button wakes, 0 lock presses; time-out armed at 1.000 s"),
            std::string::npos)
      << result.out;
}

// The recording is read once, as it plays: a bad reading far in ends the run there, with
// status 2 and the file and line, and without the summary a finished run prints.
TEST_F(Simulator, ABadRecordingEndsTheReplayWithStatusTwoAndNoSummary) {
  std::string csv = "t,gx,gy,gz,ux,uy,uz\n";
  for (int i = 0; i < 500; ++i) csv += std::to_string(i) + ",0,0,-1,0,0,0\n";
  csv += "1,0,0,-1,0,0,0\n";
  const auto path = write("backwards.csv", csv);
  const Result result = run({"replay", path.string(), "--json"});
  EXPECT_EQ(result.status, 2);
  EXPECT_EQ(result.err.rfind(path.string() + ":502: time runs backwards", 0), 0u) << result.err;
  EXPECT_EQ(result.out.find("\"summary\""), std::string::npos) << result.out;
  EXPECT_NE(result.out.find("\"settings\""), std::string::npos) << "the lines before the bad reading stay";

  // A first reading that does not read fails before anything is printed.
  const auto first = write("first.csv", "t,gx,gy,gz,ux,uy,uz\n0,0,0,-1,0,0\n1,0,0,-1,0,0,0\n");
  const Result early = run({"replay", first.string(), "--json"});
  EXPECT_EQ(early.status, 2);
  EXPECT_EQ(early.out, "");
  EXPECT_EQ(early.err.rfind(first.string() + ":2: expected 7 columns", 0), 0u) << early.err;
}

}  // namespace
