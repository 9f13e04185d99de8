#include "tools/tessaro-sim/MotionVocabulary.h"
#include "tools/tessaro-sim/Scenario.h"

#include <gtest/gtest.h>

#include <unistd.h>

#include <cmath>
#include <fstream>
#include <limits>

namespace {

using namespace sim;

Scenario parse(const std::string& text, const std::filesystem::path& directory = ".") {
  return parseScenario(text, "test.scenario", directory);
}

// The message of the error parsing `text` raises, or "" when it parses.
std::string errorOf(const std::string& text, const std::filesystem::path& directory = ".") {
  try {
    parse(text, directory);
  } catch (const ScenarioError& error) {
    return error.what();
  }
  return "";
}

template <typename T>
const T& stepAs(const Scenario& scenario, std::size_t index) {
  return std::get<T>(scenario.steps.at(index).command);
}

TEST(ScenarioParsing, BootsImplicitlyAtTheFirstLineThatNeedsTheDevice) {
  const auto scenario = parse("# settings first\nset isEnabled YES\n\nwithout SBReachabilitySettings\nwait 1\nset wakeMode 2\n");
  ASSERT_EQ(scenario.steps.size(), 5u);
  EXPECT_EQ(scenario.steps[0].line, 2u);
  EXPECT_EQ(scenario.steps[1].line, 4u);
  EXPECT_TRUE(stepAs<command::Boot>(scenario, 2).implicit);
  EXPECT_EQ(scenario.steps[2].line, 5u);
  EXPECT_EQ(stepAs<command::Wait>(scenario, 3).seconds, 1);
  EXPECT_EQ(stepAs<command::Set>(scenario, 4).key, "wakeMode");
}

TEST(ScenarioParsing, ASettingsOnlyScenarioStillBoots) {
  const auto scenario = parse("set isEnabled NO\n");
  ASSERT_EQ(scenario.steps.size(), 2u);
  EXPECT_TRUE(std::holds_alternative<command::Boot>(scenario.steps[1].command));
}

TEST(ScenarioParsing, SettingValuesKeepTheirKinds) {
  const auto scenario =
      parse("set a YES\nset b false\nset c 3\nset d -0.25\nset e \"text with \\\"quotes\\\"\"\nset f \"3\"\nunset g\n");
  EXPECT_EQ(*stepAs<command::Set>(scenario, 0).value, plist::Value(true));
  EXPECT_EQ(*stepAs<command::Set>(scenario, 1).value, plist::Value(false));
  EXPECT_EQ(*stepAs<command::Set>(scenario, 2).value, plist::Value(3));
  EXPECT_EQ(*stepAs<command::Set>(scenario, 3).value, plist::Value(-0.25));
  EXPECT_EQ(*stepAs<command::Set>(scenario, 4).value, plist::Value("text with \"quotes\""));
  EXPECT_EQ(*stepAs<command::Set>(scenario, 5).value, plist::Value("3")) << "quoted stays a string";
  EXPECT_FALSE(stepAs<command::Set>(scenario, 6).value);
}

// Dates, data, arrays and dictionaries in the XML form of one value, which runs to the end
// of the line; what a message shows of a value reads back as that value.
TEST(ScenarioParsing, ValuesOfEveryKindParseFromXmlAndReadBackFromTheirDescription) {
  const auto scenario = parse(
      "set when <date>2001-01-02T00:00:01Z</date>\n"
      "set blob <data>AQID</data>   \n"
      "expect setting list <array><integer>1</integer> <string>a #b &amp; c</string><true/></array>\n"
      "expect setting nested <dict><key>k</key><array/><key>r</key><real>0.5</real></dict>\n");
  EXPECT_EQ(*stepAs<command::Set>(scenario, 0).value, plist::Value(plist::Date{86401}));
  EXPECT_EQ(*stepAs<command::Set>(scenario, 1).value, plist::Value(plist::Data{1, 2, 3}));
  const plist::Value list(plist::Array{plist::Value(1), plist::Value("a #b & c"), plist::Value(true)});
  EXPECT_EQ(*stepAs<command::ExpectSetting>(scenario, 3).value, list) << "a '#' inside XML is no comment";
  const plist::Value nested(plist::Dictionary{{"k", plist::Array{}}, {"r", 0.5}});
  EXPECT_EQ(*stepAs<command::ExpectSetting>(scenario, 4).value, nested);

  for (const plist::Value& value : {plist::Value(plist::Date{86401.25}), plist::Value(plist::Data{255, 0}), list, nested,
                                    plist::Value(plist::Array{plist::Value(plist::Dictionary{})}),
                                    plist::Value(std::numeric_limits<double>::quiet_NaN()), plist::Value(3.0)}) {
    const std::string described = describeValue(value);
    SCOPED_TRACE(described);
    std::string problem;
    const auto back = parseValue(described, false, problem);
    if (value.isDate()) {
      // XML holds whole seconds: the fraction is shown, and is no XML date.
      EXPECT_EQ(described, "<date>2001-01-02T00:00:01.25Z</date>");
      continue;
    }
    ASSERT_TRUE(back) << problem;
    EXPECT_EQ(*back, value);
  }
  EXPECT_EQ(describeValue(plist::Value(plist::Data{255, 0})), "<data>/wA=</data>");
}

TEST(ScenarioParsing, DurationsTakeUnitsAndTimeIsTrackedForAt) {
  const auto scenario = parse("wait 2.5\nwait 500ms\nwait 3m\nwait 1 h\nat 2h\nshake 2 for 250ms\nlift\nmove face-down over 2s\n");
  EXPECT_EQ(stepAs<command::Wait>(scenario, 1).seconds, 2.5);
  EXPECT_EQ(stepAs<command::Wait>(scenario, 2).seconds, 0.5);
  EXPECT_EQ(stepAs<command::Wait>(scenario, 3).seconds, 180);
  EXPECT_EQ(stepAs<command::Wait>(scenario, 4).seconds, 3600);
  EXPECT_EQ(stepAs<command::At>(scenario, 5).time, 7200);
  EXPECT_EQ(stepAs<command::Shake>(scenario, 6).seconds, 0.25);
  const auto& lift = stepAs<command::Move>(scenario, 7);
  EXPECT_EQ(lift.seconds, 0.5);
  EXPECT_EQ(lift.to.y, sim::poseNamed("raised")->y);
  EXPECT_EQ(stepAs<command::Move>(scenario, 8).to.z, 1);
}

TEST(ScenarioParsing, HomeButtonGesturesAreTimedPresses) {
  const auto scenario = parse(
      "press home\npress home for 50ms\npress home twice\npress home twice gap 0.3 for 0.2\nhold home 2\n"
      "tap-hold home 1s gap 100ms\n");
  using Presses = std::vector<std::pair<double, double>>;
  auto presses = [&](std::size_t index) {
    Presses list;
    for (const auto& press : stepAs<command::HomeGesture>(scenario, index).presses) list.emplace_back(press.gapBefore, press.hold);
    return list;
  };
  EXPECT_EQ(presses(1), (Presses{{0, kClickSeconds}}));
  EXPECT_EQ(presses(2), (Presses{{0, 0.05}}));
  EXPECT_EQ(presses(3), (Presses{{0, kClickSeconds}, {kPressGapSeconds, kClickSeconds}}));
  EXPECT_EQ(presses(4), (Presses{{0, 0.2}, {0.3, 0.2}}));
  EXPECT_EQ(presses(5), (Presses{{0, 2}}));
  EXPECT_EQ(presses(6), (Presses{{0, kClickSeconds}, {0.1, 1}}));
  // The device runs through each gesture, and `at` counts it.
  EXPECT_EQ(errorOf("press home twice gap 0.3 for 0.2\nat 0.7\n"), "");
  EXPECT_NE(errorOf("press home twice gap 0.3 for 0.2\nat 0.6\n"), "");
}

TEST(ScenarioParsing, FingerprintEventsByNameOrNumber) {
  const auto scenario = parse("finger lifted\nfinger resting\nfinger scanning\nfinger matched\nfinger not-matched\nfinger 17\n");
  const long long expected[] = {0, 1, 2, 4, 9, 17};
  for (std::size_t i = 0; i < 6; ++i) EXPECT_EQ(stepAs<command::Finger>(scenario, i + 1).event, expected[i]);
}

TEST(ScenarioParsing, ExpectationsParse) {
  const auto scenario = parse(
      "expect count display \"on\" == 1\nexpect count button >= 2\nexpect setting wakeMode absent\n"
      "expect setting name \"absent\"\n");
  const auto& count = stepAs<command::ExpectCount>(scenario, 1);
  EXPECT_EQ(count.kind, "display");
  EXPECT_EQ(count.text, "on");
  EXPECT_EQ(count.n, 1);
  EXPECT_EQ(describe(count), "count display \"on\" == 1");
  EXPECT_FALSE(stepAs<command::ExpectCount>(scenario, 2).text);
  EXPECT_EQ(stepAs<command::ExpectCount>(scenario, 2).op, command::ExpectCount::AtLeast);
  EXPECT_FALSE(stepAs<command::ExpectSetting>(scenario, 3).value);
  EXPECT_EQ(stepAs<command::ExpectSetting>(scenario, 4).value, plist::Value("absent"));
}

TEST(ScenarioParsing, MistakesNameTheFileAndLine) {
  const std::vector<std::pair<std::string, std::string>> cases = {
      {"# comment\n\nfrobnicate\n", "test.scenario:3: unknown command \"frobnicate\""},
      {"wait\n", "test.scenario:1: usage: wait DURATION"},
      {"wait soon\n", "test.scenario:1: bad duration \"soon\""},
      {"wait 3 fortnights\n", "test.scenario:1: unknown unit \"fortnights\""},
      {"wait -1\n", "test.scenario:1: duration cannot be negative"},
      {"wait 5\nat 4\n", "test.scenario:2: at 4.0 s lies in the past"},
      {"set isEnabled maybe\n", "test.scenario:1: bad value \"maybe\""},
      {"set name \"unclosed\n", "test.scenario:1: a quoted string is not closed"},
      {"pose sideways\n", "test.scenario:1: unknown pose \"sideways\""},
      {"pose 0 0\n", "test.scenario:1: usage: pose NAME | pose X Y Z"},
      {"pose 0 0 0\n", "test.scenario:1: gravity cannot be zero"},
      {"move raised in 2\n", "test.scenario:1: usage: move"},
      {"shake hard for 1\n", "test.scenario:1: bad strength \"hard\""},
      {"press power\n", "test.scenario:1: unknown button \"power\""},
      {"press\n", "test.scenario:1: usage: press lock | press home"},
      {"press lock twice\n", "test.scenario:1: usage: press lock"},
      {"press home thrice\n", "test.scenario:1: usage: press home [twice]"},
      {"press home gap 1\n", "test.scenario:1: usage: press home [twice]"},
      {"press home twice gap\n", "test.scenario:1: usage: press home [twice]"},
      {"press home twice gap 1 gap 2\n", "test.scenario:1: \"gap\" given twice"},
      {"press home for 0\n", "test.scenario:1: a press must be held for some time"},
      {"press home for soon\n", "test.scenario:1: bad duration \"soon\""},
      {"hold home\n", "test.scenario:1: usage: hold home DURATION"},
      {"hold lock 2\n", "test.scenario:1: usage: hold home DURATION"},
      {"hold home 2 for 3\n", "test.scenario:1: usage: hold home DURATION"},
      {"tap-hold home -1\n", "test.scenario:1: duration cannot be negative"},
      {"tap-hold home 1 for 2\n", "test.scenario:1: usage: tap-hold home DURATION [gap DURATION]"},
      {"finger thumb\n", "test.scenario:1: unknown fingerprint event \"thumb\""},
      {"finger \"1\"\n", "test.scenario:1: unknown fingerprint event \"1\""},
      {"reachability now\n", "test.scenario:1: usage: reachability"},
      {"home-button-wakes maybe\n", "test.scenario:1: expected on or off"},
      {"expect reachability up\n", "test.scenario:1: expected on or off"},
      {"boot\nolder-gesture-manager\n", "test.scenario:2: \"older-gesture-manager\" must come before the device boots"},
      {"low-power maybe\n", "test.scenario:1: expected on or off"},
      {"expect display dim\n", "test.scenario:1: expected on or off"},
      {"expect count display ~ 1\n", "test.scenario:1: bad comparison \"~\""},
      {"expect count display == many\n", "test.scenario:1: bad count \"many\""},
      {"expect weather sunny\n", "test.scenario:1: unknown expectation \"weather\""},
      {"press lock\nwithout SBReachabilityManager\n",
       "test.scenario:2: \"without\" must come before the device boots; line 1 needs the device and boots it"},
      {"boot\nrealtime\n", "test.scenario:2: \"realtime\" must come before the device boots; line 1 boots it"},
      {"boot\nboot\n", "test.scenario:2: the device has already booted"},
      // Bytes that are no UTF-8 are refused where they stand, shown escaped.
      {"expect display \x9c\n", "test.scenario:1: not UTF-8 text: byte \\x9C at column 16"},
      {"wait 1\nfrob\xff\n", "test.scenario:2: not UTF-8 text: byte \\xFF at column 5"},
      {"set key \"\xc0\xaf\"\n", "test.scenario:1: not UTF-8 text: byte \\xC0 at column 10"},
      {"pose \xed\xa0\x80\n", "test.scenario:1: not UTF-8 text: byte \\xED at column 6"},
      {"wait 2\xe2\x82\n", "test.scenario:1: not UTF-8 text: byte \\xE2 at column 7"},
      // Durations are finite and at most a day a line; an `at` jumps at most a day.
      {"wait 1e308h\n", "test.scenario:1: duration \"1e308h\" is too large"},
      {"wait 1e12\n", "test.scenario:1: duration \"1e12\" is longer than one line may run the device"},
      {"wait 25 h\n", "test.scenario:1: duration \"25\" is longer than one line may run the device"},
      {"hold home 2d\n", "test.scenario:1: unknown unit \"d\""},
      {"press home twice gap 2e5\n", "test.scenario:1: gap \"2e5\" is longer than one line may run the device"},
      {"at 90000\n", "test.scenario:1: at 90000.0 s lies more than a day"},
      {"at 80000\nat 170000\n", "test.scenario:2: at 170000.0 s lies more than a day"},
      // A misspelt event kind is no count of 0.
      {"expect count dispaly == 0\n", "test.scenario:1: unknown event kind \"dispaly\" (did you mean display?"},
      {"expect count Display \"on\" == 1\n", "test.scenario:1: unknown event kind \"Display\" (did you mean display?"},
      {"expect sampling interval\n", "test.scenario:1: usage: expect sampling interval SECONDS"},
      {"expect sampling interval 0\n", "test.scenario:1: a sampling interval is more than 0 s"},
      {"step 2\n", "test.scenario:1: usage: step"},
      {"edit-settings isEnabled\n", "test.scenario:1: usage: edit-settings KEY VALUE"},
      {"plot run.pdf\n", "test.scenario:1: a plot is a .png or .svg file"},
      // One XML value, well formed: not two, not a fragment.
      {"set when <date>yesterday</date>\n", "test.scenario:1: bad value \"<date>yesterday</date>\": not one property-list"},
      {"set n <integer>1</integer><integer>2</integer>\n", "test.scenario:1: bad value"},
      {"expect setting list <array><integer>1</integer>\n", "test.scenario:1: bad value"},
      {"set when\t<date>2001-01-01T00:00:00Z</date> extra\n", "test.scenario:1: bad value"},
  };
  for (const auto& [text, message] : cases) {
    SCOPED_TRACE(text);
    EXPECT_EQ(errorOf(text).rfind(message, 0), 0u) << errorOf(text);
  }
}

// The commands that reach the host's variants and its own moments refuse what they cannot
// mean, with the line and the usage.
TEST(ScenarioParsing, HostAndMotionCommandsRefuseBadArguments) {
  const std::vector<std::pair<std::string, std::string>> cases = {
      {"without-method SBFoo bar\n", "test.scenario:1: expected a method as -[CLASS SELECTOR], got \"SBFoo bar\""},
      {"without-method -[SBFoo bar:baz]\n", "test.scenario:1: expected a method as -[CLASS SELECTOR]"},
      {"without-method -[SBFoo]\n", "test.scenario:1: usage: without-method -[CLASS SELECTOR]"},
      {"host-implements -[SBFoo bar: baz]\n", "test.scenario:1: usage: host-implements -[CLASS SELECTOR]"},
      {"boot\nhost-implements -[SBFoo bar]\n", "test.scenario:2: \"host-implements\" must come before the device boots"},
      {"screen-off-mode maybe\n", "test.scenario:1: expected on or off, got \"maybe\""},
      {"present-lockscreen now\n", "test.scenario:1: usage: present-lockscreen"},
      {"motion-error twice\n", "test.scenario:1: usage: motion-error"},
      {"accelerate 0 0\n", "test.scenario:1: usage: accelerate X Y Z [for DURATION]"},
      {"accelerate 0 0 hard\n", "test.scenario:1: bad z \"hard\": expected a number or nan"},
      {"accelerate 0 0 \"nan\"\n", "test.scenario:1: bad z \"nan\""},
      {"accelerate 0 0 1 over 2\n", "test.scenario:1: usage: accelerate X Y Z [for DURATION]"},
      {"accelerate 0 0 1 for\n", "test.scenario:1: usage: accelerate X Y Z [for DURATION]"},
      {"accelerate 0 0 1 for -2\n", "test.scenario:1: duration cannot be negative"},
      {"pose nan 0\n", "test.scenario:1: usage: pose NAME | pose X Y Z"},
      {"reachability-setting height 3\n", "test.scenario:1: unknown reachability setting \"height\""},
      {"reachability-setting yOffsetFactor big\n", "test.scenario:1: bad value \"big\": expected a number"},
      {"cut-animations all\n", "test.scenario:1: usage: cut-animations"},
      {"settings-file a.plist b.plist\n", "test.scenario:1: usage: settings-file FILE"},
  };
  for (const auto& [text, message] : cases) {
    SCOPED_TRACE(text);
    EXPECT_EQ(errorOf(text).rfind(message, 0), 0u) << errorOf(text);
  }
  const auto scenario = parse("accelerate nan 0 -2 for 500ms\naccelerate 0 0 1\n");
  const auto& accelerate = stepAs<command::Accelerate>(scenario, 1);
  EXPECT_TRUE(std::isnan(accelerate.acceleration.x));
  EXPECT_EQ(accelerate.seconds, 0.5);
  EXPECT_FALSE(stepAs<command::Accelerate>(scenario, 2).seconds);
}

TEST(ScenarioParsing, ARecordingIsFoundBesideTheScenarioAndCheckedWhole) {
  const auto directory = std::filesystem::temp_directory_path() / ("tessaro-scenario-" + std::to_string(::getpid()));
  std::filesystem::create_directories(directory);
  std::ofstream(directory / "good.csv") << "t,gx,gy,gz,ux,uy,uz\n0,0,0,-1,0,0,0\n1,0,0,-1,0,0,0\n";
  std::ofstream(directory / "bad.csv") << "t,gx,gy,gz,ux,uy,uz\n0,0,0,-1,0,0,0\n1,0,0,-1,0,0\n";

  const auto scenario = parse("replay good.csv\n", directory);
  const auto& replay = stepAs<command::Replay>(scenario, 1);
  EXPECT_EQ(replay.file, directory / "good.csv");
  EXPECT_EQ(replay.summary.readings, 2);

  const std::string message = errorOf("wait 1\nreplay bad.csv\n", directory);
  EXPECT_EQ(message.rfind("test.scenario:2: bad recording: " + (directory / "bad.csv").string() + ":3: expected 7 columns", 0),
            0u)
      << message;
  std::filesystem::remove_all(directory);
}

TEST(ScenarioParsing, ControlCenterCommandsParseWithTheirToggleAndFiles) {
  const auto scenario = parse(
      "style isEnabled YES\nseed 42\nscreen 5.5\nopen control-center\ntap toggle tessaro\n"
      "snapshot shots/cc.png\nsnapshot toggle do-not-disturb dnd.png\n"
      "expect toggle com.brel.control-center.tessaromodule selected\nexpect toggle tessaro background \"#D78449:0.5\"\n"
      "expect toggle tessaro background clear\nexpect toggle tessaro radius 32\nexpect toggle tessaro scale 0.9\n"
      "style scaleToggle 0.9\nunstyle isEnabled\nclose control-center\n",
      "/scenarios");
  EXPECT_EQ(stepAs<command::Style>(scenario, 0).value, plist::Value(true));
  EXPECT_EQ(stepAs<command::Seed>(scenario, 1).seed, 42u);
  EXPECT_TRUE(stepAs<command::ScreenSize>(scenario, 2).fivePointFive);
  EXPECT_TRUE(stepAs<command::ControlCenter>(scenario, 4).open);
  EXPECT_EQ(stepAs<command::TapToggle>(scenario, 5).identifier, "com.brel.control-center.tessaromodule");
  EXPECT_EQ(stepAs<command::Snapshot>(scenario, 6).file, std::filesystem::path("/scenarios/shots/cc.png"));
  EXPECT_FALSE(stepAs<command::Snapshot>(scenario, 6).toggle);
  EXPECT_EQ(stepAs<command::Snapshot>(scenario, 7).toggle, "com.apple.control-center.DoNotDisturbModule");
  EXPECT_TRUE(stepAs<command::ExpectToggle>(scenario, 8).selected);
  const auto& colour = stepAs<command::ExpectToggle>(scenario, 9);
  EXPECT_EQ(colour.what, command::ExpectToggle::Background);
  EXPECT_NEAR(colour.color->r, 0xD7 / 255.0, 1e-12);
  EXPECT_EQ(colour.color->a, 0.5);
  EXPECT_EQ(stepAs<command::ExpectToggle>(scenario, 10).color->a, 0.0);
  EXPECT_EQ(stepAs<command::ExpectToggle>(scenario, 11).number, 32);
  EXPECT_FALSE(stepAs<command::Style>(scenario, 14).value);
}

TEST(ScenarioParsing, ControlCenterMistakesNameTheLine) {
  const std::vector<std::pair<std::string, std::string>> cases = {
      {"tap toggle wifi\n", "test.scenario:1: unknown toggle \"wifi\" (do-not-disturb, orientation-lock, tessaro"},
      {"tap tessaro\n", "test.scenario:1: usage: tap toggle NAME"},
      {"open settings\n", "test.scenario:1: unknown thing to open \"settings\" (control-center)"},
      {"snapshot screen.jpg\n", "test.scenario:1: a snapshot is a .png file, got \"screen.jpg\""},
      {"snapshot toggle tessaro\n", "test.scenario:1: usage: snapshot FILE.png | snapshot home-screen FILE.png | snapshot toggle NAME FILE.png"},
      {"expect toggle tessaro background orange\n", "test.scenario:1: bad colour \"orange\""},
      {"expect toggle tessaro background #D78449\n", "test.scenario:1: usage: expect toggle NAME"},
      {"expect toggle tessaro glowing\n", "test.scenario:1: unknown toggle expectation \"glowing\""},
      {"expect toggle tessaro radius big\n", "test.scenario:1: bad radius \"big\""},
      {"seed -1\n", "test.scenario:1: bad seed \"-1\""},
      {"screen 6.1\n", "test.scenario:1: unknown screen \"6.1\" (4.7 or 5.5)"},
      {"wait 1\nseed 3\n", "test.scenario:2: \"seed\" must come before the device boots"},
      {"style isEnabled maybe\n", "test.scenario:1: bad value \"maybe\""},
      {"expect prefs isEnabled\n", "test.scenario:1: usage: expect prefs KEY VALUE|absent"},
      {"expect prefs isEnabled maybe\n", "test.scenario:1: bad value \"maybe\""},
      {"expect toggle tessaro highlight gone\n", "test.scenario:1: expected hidden or shown, got \"gone\""},
      {"expect toggle tessaro radius\n", "test.scenario:1: usage: expect toggle NAME radius N|unset"},
      {"expect toggle tessaro selected-color orange\n", "test.scenario:1: bad colour \"orange\""},
      {"expect toggle tessaro glyph on ON\n", "test.scenario:1: expected selected or unselected, got \"on\""},
      {"expect toggle tessaro glyph selected On\n", "test.scenario:1: unknown glyph \"On\" (ON, OFF"},
      {"expect toggle tessaro glyph selected\n", "test.scenario:1: usage: expect toggle NAME glyph selected|unselected ON|OFF|none"},
  };
  for (const auto& [text, message] : cases) {
    SCOPED_TRACE(text);
    EXPECT_EQ(errorOf(text).rfind(message, 0), 0u) << errorOf(text);
  }
}

}  // namespace

namespace {

TEST(ScenarioParsing, SettingsKeysTheTweakDoesNotReadWarnAndStrictMakesThemErrors) {
  const auto scenario = parse(
      "set motionSensitivity 3\nset isEnabled \"yes\"\nunset frobnicate\nset motionSenstivity 3\n"
      "edit-settings tapToWakeMode 1.5\nset bgTessaroColor 3\n");
  ASSERT_EQ(scenario.warnings.size(), 5u);
  EXPECT_EQ(scenario.warnings[0],
            "test.scenario:1: warning: unknown settings key \"motionSensitivity\" (did you mean motionSenstivity?); "
            "the tweak does not read it");
  EXPECT_NE(scenario.warnings[1].find(":2: warning: isEnabled is read as a boolean; got a string"), std::string::npos);
  EXPECT_EQ(scenario.warnings[2].find("did you mean"), std::string::npos) << "nothing near enough to suggest";
  EXPECT_NE(scenario.warnings[3].find(":5: warning: tapToWakeMode is read as a whole number; got a real number, which "
                                      "the tweak truncates"),
            std::string::npos);
  EXPECT_NE(scenario.warnings[4].find(":6: warning: bgTessaroColor is read as a colour string"), std::string::npos);
  // The key is written all the same.
  EXPECT_EQ(stepAs<command::Set>(scenario, 0).key, "motionSensitivity");
  EXPECT_FALSE(stepAs<command::Set>(scenario, 4).notify);

  EXPECT_NE(errorOf("strict\nset motionSensitivity 3\n").find("test.scenario:2: unknown settings key"), std::string::npos);
  try {
    parseScenario("set motionSensitivity 3\n", "test.scenario", ".", true);
    ADD_FAILURE() << "strict parsing let an unknown key through";
  } catch (const ScenarioError& error) {
    EXPECT_NE(std::string(error.what()).find("(strict)"), std::string::npos);
  }
}

TEST(ScenarioParsing, EveryCountableKindIsKnownAndTheTextsAskedForAreCounted) {
  const auto scenario = parse("expect count display \"on\" == 1\nexpect count timer.scheduled == 1\n");
  EXPECT_NE(errorOf("expect count scenario >= 1\n").find("unknown event kind \"scenario\""), std::string::npos)
      << "the simulator's own lines are not counted";
  ASSERT_EQ(scenario.countedTexts.size(), 1u);
  EXPECT_EQ(scenario.countedTexts[0], (std::pair<std::string, std::string>{"display", "on"}));
  EXPECT_EQ(closestKind("notification.post"), "notification.posted");
  EXPECT_EQ(closestKind("lowpowermode"), "lowPowerMode");
}

}  // namespace
