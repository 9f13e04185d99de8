// `tessaro-sim replay`: what it says about a run and how it shows why.

#include "tests/tools/SimulatorFixture.h"

#include <chrono>
#include <cstdlib>

namespace {

using namespace simtest;

// Flat on a table, then held up from 3 s on: a pick-up.
std::string liftCsv() {
  std::string csv = "timestamp,gx,gy,gz,ux,uy,uz\n";
  for (int i = 0; i <= 600; ++i) {
    const double t = i * 0.01;
    csv += std::to_string(t) + (t < 3 ? ",0,0,-1,0,0,0\n" : ",0,-0.85,-0.5,0,0.01,0\n");
  }
  return csv;
}

TEST_F(Simulator, TheReplayHeaderExplainsTheEffectiveSettings) {
  const auto csv = write("lift.csv", liftCsv());
  const Result result = run({"replay", csv.string(), "--json", "--set", "isWakeScreenSensitivityEnabled=YES", "--set",
                             "motionSenstivity=10", "--set", "isUpdateIntervalEnabled=YES", "--set",
                             "updateIntervalSlider=2.9", "--set", "disableMotionDetectionSlider=2"});
  ASSERT_EQ(result.status, 0) << result.err;
  const auto lines = jsonLines(result);
  const auto& header = lines.front();
  ASSERT_EQ(header["event"], "settings");
  EXPECT_EQ(header["time"], 0);
  EXPECT_EQ(header["settings"]["updateIntervalSlider"], 2) << "an integer key truncates";
  EXPECT_EQ(header["settings"]["tapToWakeMode"], 2) << "absent keys at their defaults";
  EXPECT_EQ(header["motion"]["samplingInterval"], 0.1);
  EXPECT_FLOAT_EQ(header["motion"]["steadyThreshold"].get<float>(), 10.0f / 50.0f);
  EXPECT_EQ(header["motion"]["timeout"], 120.0);
  EXPECT_EQ(header["motion"]["wakeGestureMode"]["value"], 0);
  EXPECT_EQ(header["recording"]["readings"], 601);
}

TEST_F(Simulator, TheSummaryKeepsMotionWakesApartFromTimeoutLightings) {
  const auto still = write("still.csv", "t,gx,gy,gz,ux,uy,uz\n0,0,0,-1,0,0,0\n8,0,0,-1,0,0,0\n");
  const Result timeout = run({"replay", still.string(), "--json", "--set", "disableMotionDetectionSlider=0.05"});
  ASSERT_EQ(timeout.status, 0) << timeout.err;
  const auto summary = jsonLines(timeout).back();
  EXPECT_EQ(summary["motionWakes"], 0);
  EXPECT_EQ(summary["timeoutLightings"], 1);
  EXPECT_EQ(summary["timeouts"], 1);
  EXPECT_EQ(summary["timeoutArmed"], 1.0) << "armed at the first dark step";
  EXPECT_TRUE(summary["firstMotionWake"].is_null());

  const Result lift = run({"replay", write("lift.csv", liftCsv()).string(), "--json"});
  ASSERT_EQ(lift.status, 0) << lift.err;
  const auto liftSummary = jsonLines(lift).back();
  EXPECT_EQ(liftSummary["motionWakes"], 1);
  EXPECT_EQ(liftSummary["timeoutLightings"], 0);
  EXPECT_EQ(liftSummary["lockPresses"], 0);
}

TEST_F(Simulator, TheTraceShowsWhatEachStepSawStoredAndDecided) {
  // Readings known to the last digit: flat, then raised with a little user acceleration.
  const auto csv = write("known.csv",
                         "t,gx,gy,gz,ux,uy,uz\n"
                         "0,0,0,-1,0,0,0\n"
                         "1.5,0.1,-0.8,-0.5,0.25,-0.125,0.5\n"
                         "4,0.1,-0.8,-0.5,0.25,-0.125,0.5\n");
  const auto traceFile = directory_ / "trace.csv";
  const Result result = run({"replay", csv.string(), "--json", "--trace", "--trace-csv", traceFile.string(), "--set",
                             "isWakeScreenSensitivityEnabled=YES"});
  ASSERT_EQ(result.status, 0) << result.err;
  std::vector<nlohmann::json> steps;
  for (const auto& line : jsonLines(result)) {
    if (line["event"] == "step") steps.push_back(line);
  }
  ASSERT_GE(steps.size(), 6u);
  // The first steps see the flat device; the tweak stores face up.
  EXPECT_EQ(steps[1]["gravity"], (nlohmann::json{0, 0, -1}));
  EXPECT_EQ(steps[1]["pose"], "face up");
  bool sawRaised = false;
  for (const auto& step : steps) {
    if (step["gravity"] != nlohmann::json{0.1, -0.8, -0.5}) continue;
    sawRaised = true;
    EXPECT_EQ(step["userAcceleration"], (nlohmann::json{0.25, -0.125, 0.5}));
    EXPECT_EQ(step["pose"], "raised");
    // The smoothing holds the reading, to single precision: not steady at 7 / 50 g.
    EXPECT_EQ(step["rolling"], (nlohmann::json{0.25, -0.125, 0.5}));
    EXPECT_EQ(step["decision"], "none") << "moving: no wake";
  }
  EXPECT_TRUE(sawRaised);
  EXPECT_EQ(steps.front()["decision"], "arm time-out");

  const std::string csvText = slurp(traceFile);
  std::istringstream rows(csvText);
  std::string header;
  std::getline(rows, header);
  EXPECT_EQ(header.rfind("time,has_reading,gravity_x", 0), 0u) << header;
  std::size_t count = 0;
  for (std::string row; std::getline(rows, row);) ++count;
  EXPECT_EQ(count, steps.size()) << "one row a step";
  EXPECT_NE(csvText.find(",0.1,-0.8,-0.5,0.25,-0.125,0.5,0,raised,0.25,-0.125,0.5,none"), std::string::npos) << csvText;
}

// The tweak's globals are read from its symbol table; a stripped library cannot show them,
// and the trace says so instead of showing nothing in silence.
TEST_F(Simulator, ATraceOfAStrippedTweakSaysWhyItShowsNoPose) {
  const auto stripped = directory_ / "Tessaro.dylib";
  ASSERT_EQ(std::system(("objcopy --strip-all " + shellQuoted(TESSARO_BUILT_TWEAK_FILE) + " " +
                         shellQuoted(stripped.string())).c_str()),
            0);
  ::setenv("TESSARO_TWEAK_LIBRARY", stripped.c_str(), 1);
  const auto csv = write("lift.csv", liftCsv());
  const Result result = run({"replay", csv.string(), "--json", "--trace"});
  ::unsetenv("TESSARO_TWEAK_LIBRARY");
  ASSERT_EQ(result.status, 0) << result.err;
  EXPECT_NE(result.err.find("warning: the trace shows no pose or smoothing"), std::string::npos) << result.err;
  EXPECT_NE(result.err.find("stripped"), std::string::npos) << result.err;
  std::size_t steps = 0;
  for (const auto& line : jsonLines(result)) {
    if (line["event"] != "step") continue;
    ++steps;
    EXPECT_TRUE(line["pose"].is_null());
    EXPECT_TRUE(line["rolling"].is_null());
  }
  EXPECT_GT(steps, 0u);
}

TEST_F(Simulator, APlotIsDrawnByGnuplotAndItsAbsenceIsAClearError) {
  const auto csv = write("lift.csv", liftCsv());
  const auto png = directory_ / "run.png";
  const Result drawn = run({"replay", csv.string(), "--plot", png.string(), "--quiet"});
  ASSERT_EQ(drawn.status, 0) << drawn.err;
  const std::string bytes = slurp(png);
  ASSERT_GT(bytes.size(), 1000u);
  EXPECT_EQ(bytes.substr(1, 3), "PNG");
  const auto svg = directory_ / "run.svg";
  ASSERT_EQ(run({"replay", csv.string(), "--plot", svg.string(), "--quiet"}).status, 0);
  EXPECT_NE(slurp(svg).find("<svg"), std::string::npos);

  // A scenario asks for the same.
  const auto scenario = write("plot.scenario", "set isEnabled YES\nplot scenario.png\npose face-up\npress lock\nwait 2\nlift\nwait 2\n");
  ASSERT_EQ(run({scenario.string()}).status, 0);
  EXPECT_TRUE(std::filesystem::exists(directory_ / "scenario.png"));

  ::setenv("TESSARO_GNUPLOT", (directory_ / "no-gnuplot").c_str(), 1);
  const Result missing = run({"replay", csv.string(), "--plot", png.string()});
  ::unsetenv("TESSARO_GNUPLOT");
  EXPECT_EQ(missing.status, 2);
  EXPECT_NE(missing.err.find("gnuplot not found"), std::string::npos) << missing.err;
  EXPECT_EQ(missing.out, "") << "refused before the run";
  EXPECT_EQ(run({"replay", csv.string(), "--plot", (directory_ / "run.pdf").string()}).status, 2);
}

TEST_F(Simulator, AReplayCostsItsReadingsNotItsTimeSpan) {
  // Two readings 10^9 s apart: the run jumps from one piece of due work to the next.
  const auto csv = write("gap.csv", "t,gx,gy,gz,ux,uy,uz\n0,0,0,-1,0,0,0\n1e9,0,-0.85,-0.5,0,0,0\n");
  const auto start = std::chrono::steady_clock::now();
  const Result result = run({"replay", csv.string(), "--json"});
  ASSERT_EQ(result.status, 0) << result.err;
  EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(30));
  const auto summary = jsonLines(result).back();
  EXPECT_EQ(summary["readings"], 2);
  EXPECT_EQ(summary["timeoutLightings"], 1) << "the time-out ended detection long before the second reading";
  EXPECT_EQ(summary["motionWakes"], 0);
}

TEST_F(Simulator, ARecordingWithoutReadingsIsBadInput) {
  for (const auto& [name, text] : std::vector<std::pair<std::string, std::string>>{
           {"empty.json", "[]"}, {"empty.csv", ""}, {"header.csv", "time,gx,gy,gz,ux,uy,uz\n"}}) {
    SCOPED_TRACE(name);
    const auto file = write(name, text);
    const Result result = run({"replay", file.string()});
    EXPECT_EQ(result.status, 2);
    EXPECT_NE(result.err.find(file.string()), std::string::npos) << result.err;
    EXPECT_EQ(result.out, "");
  }
  const Result one = run({"replay", write("one.csv", "0,0,0,-1,0,0,0\n").string()});
  ASSERT_EQ(one.status, 0) << one.err;
  EXPECT_NE(one.out.find("1 reading over"), std::string::npos) << one.out;
}

}  // namespace
