// Scenarios run in this process (one device a test case): turns of the run loop, edits
// behind the tweak's back, the sampling interval, and a long random soak.

#include "platform/coremotion/CoreMotion.h"
#include "platform/foundation/Foundation.h"
#include "tests/tools/ScenarioRun.h"
#include "tools/tessaro-sim/commands/Session.h"

#include <gtest/gtest.h>

#include <random>
#include <sstream>

namespace {

using namespace sim;
using simtest::Ran;
using simtest::runText;

TEST(ScenarioRun, AStepRunsOneTurnSoALaterTurnIsSeenNotToHaveHappenedYet) {
  // Sampling every half second: each turn is one sampling instant. The line before a
  // `step` does not settle, and an expectation changes nothing, so each turn can be looked at.
  const Ran ran = runText(
      "set isEnabled YES\n"
      "set isUpdateIntervalEnabled YES\n"
      "set updateIntervalSlider 4\n"
      "pose face-up\n"
      "press lock\n"
      "expect count timer.scheduled == 0\n"
      "step\n"
      "expect count timer.scheduled == 1\n"
      "lift over 0\n"
      "expect display off\n"
      "step\n"
      "expect display on\n"
      "step\n"
      "expect count display \"on\" == 1\n");
  EXPECT_EQ(ran.status, 0) << ran.errors << ran.timeline;
  EXPECT_NE(ran.timeline.find("0.500  scenario               step: "), std::string::npos) << ran.timeline;
  EXPECT_NE(ran.timeline.find("(the clock moved on to it)"), std::string::npos) << ran.timeline;
}

TEST(ScenarioRun, AnEditBehindTheTweaksBackChangesNothingUntilItIsTold) {
  // Sampling starts at the lock press with the interval the tweak last read; a lit lock
  // screen unlocked ends it (wake mode 0).
  const Ran ran = runText(
      "set isEnabled YES\n"
      "set isUpdateIntervalEnabled YES\n"
      "set updateIntervalSlider 2\n"
      "press lock\n"
      "expect sampling interval 0.1\n"
      "press lock\n"
      "unlock\n"
      "edit-settings updateIntervalSlider 0\n"
      "expect setting updateIntervalSlider 0\n"
      "expect count notification.posted \"com.brel.tessaro.prefschanged\" == 0\n"
      "press lock\n"
      "expect sampling interval 100ms\n"
      "press lock\n"
      "unlock\n"
      "post com.brel.tessaro.prefschanged\n"
      "press lock\n"
      "expect sampling interval 0.025\n"
      "press lock\n"
      "unlock\n"
      "edit-settings-unset isUpdateIntervalEnabled\n"
      "set wakeMode 0\n"
      "press lock\n"
      "expect sampling interval 1s\n");
  EXPECT_EQ(ran.status, 0) << ran.errors << ran.timeline;
}

// A device driven one typed line at a time: each line parsed where the device stands now,
// the device booted by the first line that needs it.
TEST(ScenarioRun, ASessionRunsTypedLinesOneAtATime) {
  std::ostringstream out, errors;
  Timeline timeline(out, Format::Text);
  Session session("typed", ".", timeline, errors, false);
  EXPECT_TRUE(session.runLine("set isEnabled YES", 1));
  EXPECT_TRUE(session.runLine("set motionSensitivity 3", 2));
  EXPECT_NE(errors.str().find("typed:2: warning: unknown settings key \"motionSensitivity\""), std::string::npos)
      << errors.str();
  EXPECT_FALSE(session.booted());
  EXPECT_TRUE(session.runLine("pose face-up", 3));
  EXPECT_TRUE(session.booted());
  EXPECT_TRUE(session.runLine("press lock", 4));
  EXPECT_TRUE(session.runLine("wait 2", 5));
  EXPECT_TRUE(session.runLine("expect sampling on", 6));
  EXPECT_TRUE(session.runLine("lift", 7));
  EXPECT_TRUE(session.runLine("wait 2", 8));
  // Events are kept, so a text asked about only now is counted from the boot.
  EXPECT_TRUE(session.runLine("expect count display \"on\" == 1", 9));
  EXPECT_FALSE(session.runLine("expect lockscreen down", 10));
  EXPECT_NE(errors.str().find("typed:10: expected lockscreen down, got up"), std::string::npos) << errors.str();
  // Lines that cannot stand now are refused and change nothing.
  EXPECT_THROW(session.runLine("without SBReachabilityManager", 11), ScenarioError);
  EXPECT_THROW(session.runLine("at 1", 12), ScenarioError) << "the device is past 1 s";
  EXPECT_THROW(session.runLine("frobnicate", 13), ScenarioError);
  EXPECT_TRUE(session.runLine("unlock", 14));
  EXPECT_TRUE(session.runLine("expect lockscreen down", 15));
}

// Every kind a settings file holds is compared by kind and value, through the file the
// device wrote; a mismatch shows the value as XML.
TEST(ScenarioRun, ASettingOfAnyKindIsComparedAsTheFileHoldsIt) {
  const Ran ran = runText(
      "set when <date>2024-02-29T12:00:00Z</date>\n"
      "set blob <data>3q2+7w==</data>\n"
      "set colours <array><string>#D78449</string><integer>7</integer></array>\n"
      "set nested <dict><key>on</key><true/><key>at</key><date>2001-01-01T00:00:00Z</date></dict>\n"
      "boot\n"
      "expect setting when <date>2024-02-29T12:00:00Z</date>\n"
      "expect setting blob <data>3q2+7w==</data>\n"
      "expect setting colours <array><string>#D78449</string><integer>7</integer></array>\n"
      "expect setting nested <dict><key>at</key><date>2001-01-01T00:00:00Z</date><key>on</key><true/></dict>\n"
      "expect setting colours <array><string>#D78449</string><real>7.0</real></array>\n");
  EXPECT_EQ(ran.status, 1) << ran.errors << ran.timeline;
  EXPECT_EQ(ran.errors,
            "run.scenario:10: expected setting colours <array><string>#D78449</string><real>7.0</real></array>, got "
            "<array><string>#D78449</string><integer>7</integer></array>\n");
}

TEST(ScenarioRun, AnIntervalExpectedWhileNothingSamplesFails) {
  const Ran ran = runText("boot\nexpect sampling interval 1\n");
  EXPECT_EQ(ran.status, 1);
  EXPECT_NE(ran.errors.find("run.scenario:2: expected sampling interval 1, got no sampling"), std::string::npos) << ran.errors;
}

// A few thousand random lines over days of device time, then what must hold whatever the
// road: one sampling timer at most, one delivering motion source at most, the display and
// the lock screen as the last button left them.
TEST(ScenarioRun, ALongRandomRunKeepsTheDeviceConsistent) {
  std::mt19937 random(20261209);
  const char* const lines[] = {"press lock", "unlock", "wait 1", "wait 30", "wait 2h", "lift", "pose face-up",
                               "pose face-down", "shake 3 for 1", "press home", "press home twice", "hold home 0.5",
                               "set wakeMode 1", "set wakeMode 0", "set wakeGestureMode 1", "set wakeGestureMode 0",
                               "set isAllowTapOnScreenOffEnabled YES", "set isAllowTapOnScreenOffEnabled NO",
                               "low-power on", "low-power off", "charging on", "charging off", "finger resting",
                               "finger lifted", "reachability", "step", "set disableMotionDetectionSlider 0.5"};
  std::string text = "set isEnabled YES\nset isUpdateIntervalEnabled YES\nset updateIntervalSlider 1\nboot\n";
  std::uniform_int_distribution<std::size_t> pick(0, std::size(lines) - 1);
  for (int i = 0; i < 3000; ++i) text += std::string(lines[pick(random)]) + "\n";
  // Whatever the road, the lock button leaves the lock screen up, lit or dark.
  text += "wait 1\npress lock\nexpect lockscreen up\n";
  const Ran ran = runText(text);
  ASSERT_EQ(ran.status, 0) << ran.errors;
  EXPECT_LE(foundation::validRepeatingTimers(), 1) << "one sampling timer at most";
  EXPECT_LE(coremotion::activeManagers(), 1) << "one delivering motion source at most";
}

}  // namespace
