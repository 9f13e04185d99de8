// tessaro-sim's answers to what a user types: options in either place, settings keys it
// does not know, files it must not read, and what it leaves behind.

#include "tests/tools/SimulatorFixture.h"

#include <signal.h>
#include <sys/stat.h>

#include <algorithm>
#include <chrono>
#include <set>
#include <thread>

namespace {

using namespace simtest;

const char* kStillCsv = "t,gx,gy,gz,ux,uy,uz\n0,0,0,-1,0,0,0\n2,0,0,-1,0,0,0\n";

TEST_F(Simulator, OptionsWorkBeforeAndAfterTheSubCommandOrAreRefused) {
  const auto csv = write("still.csv", kStillCsv);
  for (const auto& arguments : std::vector<std::vector<std::string>>{{"--json", "replay", csv.string()},
                                                                     {"replay", csv.string(), "--json"},
                                                                     {"replay", "--json", csv.string()}}) {
    const Result result = run(arguments);
    ASSERT_EQ(result.status, 0) << result.err;
    for (const auto& line : jsonLines(result)) EXPECT_TRUE(line.contains("event")) << line;
  }
  // Options of a sub-command given before it, a second scenario, a scenario and a
  // sub-command: refused, never dropped.
  EXPECT_EQ(run({"--trace", "replay", csv.string()}).status, 2);
  const auto a = write("a.scenario", "boot\n");
  const auto b = write("b.scenario", "boot\n");
  Result two = run({a.string(), b.string()});
  EXPECT_EQ(two.status, 2);
  EXPECT_NE(two.err.find("one scenario at a time"), std::string::npos) << two.err;
  EXPECT_EQ(two.out, "");
  EXPECT_EQ(run({a.string(), "replay", csv.string()}).status, 2);
  EXPECT_EQ(run({"replay", csv.string(), csv.string()}).status, 2);

  const Result version = run({"--version"});
  EXPECT_EQ(version.status, 0);
  EXPECT_EQ(version.out.rfind("tessaro-sim ", 0), 0u) << version.out;
  const Result quiet = run({"replay", csv.string(), "--quiet"});
  ASSERT_EQ(quiet.status, 0) << quiet.err;
  EXPECT_EQ(quiet.out.find("settings "), std::string::npos) << "no header when quiet";
  EXPECT_NE(quiet.out.find("summary"), std::string::npos);
}

TEST_F(Simulator, CommandsPrintsTheScenarioLanguage) {
  const Result text = run({"--commands"});
  ASSERT_EQ(text.status, 0) << text.err;
  EXPECT_NE(text.out.find("\n  press home [twice] [gap DURATION] [for DURATION]  after boot   one click"), std::string::npos)
      << text.out;
  const Result json = run({"--commands", "--json"});
  ASSERT_EQ(json.status, 0) << json.err;
  std::set<std::string> whens;
  for (const auto& row : jsonLines(json)) {
    EXPECT_TRUE(row["usage"].is_string() && row["description"].is_string() && row["family"].is_string()) << row;
    whens.insert(row["when"].get<std::string>());
  }
  EXPECT_EQ(whens, (std::set<std::string>{"before boot", "after boot", "anywhere"}));
  EXPECT_NE(run({"--commands", "--markdown"}).out.find("<!-- commands: expectations -->"), std::string::npos);
  EXPECT_EQ(run({"--markdown"}).status, 2);
  EXPECT_EQ(run({"--commands", "--json", "--markdown"}).status, 2);
}

// A settings file from a phone (XML here; binary ones are tested in-process) in place of the
// settings a run is given: the same as a first `settings-file` line, or a replay's base.
TEST_F(Simulator, SettingsGivesScenariosReplaysAndSweepsAFileFromAPhone) {
  const auto phone = write("phone.plist",
                           "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<plist version=\"1.0\"><dict>"
                           "<key>isEnabled</key><true/><key>isUpdateIntervalEnabled</key><true/>"
                           "<key>updateIntervalSlider</key><integer>2</integer></dict></plist>\n");
  const auto scenario = write("lock.scenario", "press lock\nexpect sampling interval 0.1\n");
  const Result ran = run({scenario.string(), "--settings", phone.string()});
  EXPECT_EQ(ran.status, 0) << ran.err << ran.out;
  EXPECT_NE(ran.out.find("settings file: " + phone.string() + " as given ("), std::string::npos) << ran.out;

  const auto csv = write("still.csv", kStillCsv);
  const Result replayed = run({"replay", csv.string(), "--settings", phone.string(), "--json"});
  ASSERT_EQ(replayed.status, 0) << replayed.err;
  const auto header = jsonLines(replayed).front();
  EXPECT_EQ(header["motion"]["samplingInterval"], 0.1) << header;
  const Result onTop = run({"replay", csv.string(), "--settings", phone.string(), "--set", "updateIntervalSlider=0"});
  ASSERT_EQ(onTop.status, 0) << onTop.err;
  EXPECT_NE(onTop.out.find(" with --set: "), std::string::npos) << onTop.out;
  EXPECT_NE(onTop.out.find("sampling every 0.025 s"), std::string::npos) << onTop.out;

  const Result plan = run({"sweep", csv.string(), "--grid", "wakeMode=0,1", "--settings", phone.string(), "--plan"});
  ASSERT_EQ(plan.status, 0) << plan.err;
  for (const auto& cell : jsonLines(plan)) {
    const auto argv = cell["argv"].get<std::vector<std::string>>();
    const auto at = std::find(argv.begin(), argv.end(), "--settings");
    ASSERT_NE(at, argv.end()) << cell;
    EXPECT_EQ(*(at + 1), phone.string());
  }
  const Result swept = run({"sweep", csv.string(), "--grid", "wakeMode=0,1", "--settings", phone.string(), "--json", "--jobs", "1"});
  EXPECT_EQ(swept.status, 0) << swept.err << swept.out;

  const auto broken = write("broken.plist", "not a property list");
  EXPECT_EQ(run({"replay", csv.string(), "--settings", broken.string()}).status, 0) << "given as it is";
  const Result refused = run({"replay", csv.string(), "--settings", broken.string(), "--set", "wakeMode=1"});
  EXPECT_EQ(refused.status, 2);
  EXPECT_NE(refused.err.find("holds no property-list dictionary"), std::string::npos) << refused.err;
  const Result missing = run({scenario.string(), "--settings", (directory_ / "missing.plist").string()});
  EXPECT_EQ(missing.status, 2);
  EXPECT_EQ(missing.err.rfind("--settings: " + (directory_ / "missing.plist").string() + ": cannot read the settings file", 0), 0u)
      << missing.err;
  EXPECT_EQ(missing.out, "");
}

TEST_F(Simulator, VerboseShowsTheTweaksQuestionsForAScenarioOnly) {
  const auto scenario = write("lock.scenario", "set isEnabled YES\npress lock\n");
  const Result plain = run({scenario.string()});
  const Result verbose = run({scenario.string(), "--verbose"});
  ASSERT_EQ(verbose.status, 0) << verbose.err;
  EXPECT_EQ(plain.out.find("  query  "), std::string::npos);
  EXPECT_NE(verbose.out.find("query                  -[NSProcessInfo isLowPowerModeEnabled] -> NO"), std::string::npos)
      << verbose.out;
  const Result replay = run({"replay", write("still.csv", kStillCsv).string(), "--verbose"});
  EXPECT_EQ(replay.status, 2);
  EXPECT_NE(replay.err.find("--verbose"), std::string::npos) << replay.err;
}

TEST_F(Simulator, AnUnknownSettingsKeyWarnsWithTheClosestKnownOneAndStrictRefusesIt) {
  const auto csv = write("still.csv", kStillCsv);
  const Result warned = run({"replay", csv.string(), "--set", "motionSensitivity=3"});
  EXPECT_EQ(warned.status, 0);
  EXPECT_NE(warned.err.find("unknown settings key \"motionSensitivity\" (did you mean motionSenstivity?)"),
            std::string::npos)
      << warned.err;
  // Still written: a settings file may carry keys the tweak ignores.
  EXPECT_NE(warned.out.find("motionSensitivity 3"), std::string::npos) << warned.out;

  const Result strict = run({"replay", csv.string(), "--set", "motionSensitivity=3", "--strict"});
  EXPECT_EQ(strict.status, 2);
  EXPECT_EQ(strict.out, "");

  const Result wrongKind = run({"replay", csv.string(), "--set", "wakeGestureMode=\"pick-up\""});
  EXPECT_EQ(wrongKind.status, 0);
  EXPECT_NE(wrongKind.err.find("wakeGestureMode is read as a whole number; got a string"), std::string::npos)
      << wrongKind.err;

  const auto scenario = write("keys.scenario", "set motionSenstivity 3\nset isReachabilityDisabled YES\nboot\n");
  const Result scenarioWarned = run({scenario.string()});
  EXPECT_EQ(scenarioWarned.status, 0);
  EXPECT_NE(scenarioWarned.err.find(scenario.string() + ":2: warning: unknown settings key \"isReachabilityDisabled\" "
                                                        "(did you mean isReachavilityDisabled?)"),
            std::string::npos)
      << scenarioWarned.err;
  EXPECT_EQ(scenarioWarned.err.find(":1:"), std::string::npos) << "a known key is no warning";
  const auto strictScenario = write("strict.scenario", "set isReachabilityDisabled YES\nstrict\nboot\n");
  const Result refused = run({strictScenario.string()});
  EXPECT_EQ(refused.status, 2);
  EXPECT_NE(refused.err.find(":1: unknown settings key"), std::string::npos) << refused.err;
}

TEST_F(Simulator, OnlyRegularScenarioFilesOfABoundedSizeAreRead) {
  const auto fifo = directory_ / "fifo.scenario";
  ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
  // A FIFO with no writer: refused at once instead of waited on.
  const Result fromFifo = run({fifo.string()});
  EXPECT_EQ(fromFifo.status, 2);
  EXPECT_NE(fromFifo.err.find("not a regular file"), std::string::npos) << fromFifo.err;
  EXPECT_EQ(run({"/dev/zero"}).status, 2);
  EXPECT_EQ(run({directory_.string()}).status, 2);
  // Names the system cannot look up: too long, a loop of links.
  EXPECT_EQ(run({std::string(5000, 'a') + ".scenario"}).status, 2);
  std::filesystem::create_symlink(directory_ / "loop", directory_ / "loop");
  const Result loop = run({(directory_ / "loop").string()});
  EXPECT_EQ(loop.status, 2);
  EXPECT_NE(loop.err.find("loop"), std::string::npos) << loop.err;
  std::string huge(17u << 20, '#');
  EXPECT_EQ(run({write("huge.scenario", huge).string()}).status, 2);
}

TEST_F(Simulator, TheDeviceRootIsKeptOnRequestAndRemovedWhenARunIsKilled) {
  const auto kept = directory_ / "kept";
  const Result keep = run({"--keep-root", kept.string(), write("boot.scenario", "set isEnabled YES\nboot\n").string()});
  ASSERT_EQ(keep.status, 0) << keep.err;
  EXPECT_TRUE(std::filesystem::exists(kept / "var/mobile/Library/Preferences/com.brel.tessaro.plist"));
  // Never mixed with files of the user's.
  EXPECT_EQ(run({"--keep-root", kept.string(), "--show-default"}).status, 0);
  const Result notEmpty = run({"--keep-root", kept.string(), write("b.scenario", "boot\n").string()});
  EXPECT_EQ(notEmpty.status, 2);
  EXPECT_NE(notEmpty.err.find("not empty"), std::string::npos);

  // A run in real time, killed half-way: its temporary root goes with it.
  const auto roots = directory_ / "tmp";
  std::filesystem::create_directories(roots);
  const auto slow = write("slow.scenario", "realtime\nset isEnabled YES\npress lock\nwait 30\n");
  const pid_t pid = ::fork();
  ASSERT_GE(pid, 0);
  if (pid == 0) {
    ::setenv("TMPDIR", roots.c_str(), 1);
    std::freopen("/dev/null", "w", stdout);
    ::execl(TESSARO_SIM, TESSARO_SIM, slow.c_str(), static_cast<char*>(nullptr));
    ::_exit(127);
  }
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(20);
  while (std::filesystem::is_empty(roots) && std::chrono::steady_clock::now() < deadline) {
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
  }
  ASSERT_FALSE(std::filesystem::is_empty(roots)) << "the run made no device root";
  std::this_thread::sleep_for(std::chrono::milliseconds(300));
  ::kill(pid, SIGTERM);
  int status = 0;
  ::waitpid(pid, &status, 0);
  EXPECT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == SIGTERM);
  EXPECT_TRUE(std::filesystem::is_empty(roots)) << std::filesystem::directory_iterator(roots)->path();
}

TEST_F(Simulator, ARunThatSamplesLogsNoMissingClassOfTheStandInsOwn) {
  const Result result = run({"--json"});
  ASSERT_EQ(result.status, 0) << result.err;
  for (const auto& line : jsonLines(result)) {
    EXPECT_NE(line["event"], "class") << line;
    EXPECT_TRUE(line["time"].is_number()) << line;
    // Microseconds at most: no 2.0499999999999967.
    const double time = line["time"].get<double>();
    EXPECT_DOUBLE_EQ(time, std::round(time * 1e6) / 1e6) << line;
  }
}

}  // namespace
