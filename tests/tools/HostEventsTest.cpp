// Host variants and the host's own moments, each with the behaviour of the tweak it makes
// visible: a hook row that finds no method, an added method the host has already, screen-off
// mode alone, a second presentation, a failed motion delivery, user acceleration that is not
// a number, a reachability setting stored again, and fades cut short.

#include "platform/coremotion/CoreMotion.h"
#include "platform/foundation/Foundation.h"
#include "tests/tools/ScenarioRun.h"
#include "tools/tessaro-sim/commands/Session.h"

#include <gtest/gtest.h>

#include <unistd.h>

#include <fstream>

namespace {

using simtest::Ran;
using simtest::runText;

const std::string kHomeButtonMode =
    "set isEnabled YES\nset isAllowTapOnScreenOffEnabled YES\nset tapToWakeMode 2\n";

// A replace row whose method the class lacks is skipped, and the rest still hook.
TEST(HostVariants, AReplaceRowWithoutItsMethodIsSkippedAndLoggedAndTheRestStillHook) {
  const Ran ran = runText(kHomeButtonMode +
                          "without-method -[SBDashBoardViewController handleBiometricEvent:]\n"
                          "press lock\n"
                          "expect count hook \"-[SBDashBoardViewController handleBiometricEvent:] skipped: no such method\" == 1\n"
                          "expect count hook \"-[SBDashBoardViewController finishUIUnlockFromSource:] hooked\" == 1\n"
                          "expect count boot \"host without -[SBDashBoardViewController handleBiometricEvent:]\" == 1\n"
                          // The host does not send what it lacks, so the fingerprint cannot block the wake.
                          "finger scanning\n"
                          "hold home 1\n"
                          "expect display on\n");
  EXPECT_EQ(ran.status, 0) << ran.errors << ran.timeline;
}

// An add row that finds the host's own method leaves it, and the host's runs.
TEST(HostVariants, AnAddedSelectorTheHostHasKeepsTheHostsMethod) {
  const Ran ran = runText(kHomeButtonMode +
                          "host-implements -[SBHomeHardwareButton performTheAction]\n"
                          "press lock\n"
                          "expect count hook \"-[SBHomeHardwareButton performTheAction] kept host's\" == 1\n"
                          "hold home 1\n"
                          "expect count host \"-[SBHomeHardwareButton performTheAction] (the host's own)\" == 1\n"
                          "expect display off\n");
  EXPECT_EQ(ran.status, 0) << ran.errors << ran.timeline;
}

TEST(HostVariants, AVariantTheHostCannotHaveIsRefusedAtItsLine) {
  auto errorOf = [](const std::string& text) -> std::string {
    try {
      runText(text);
    } catch (const sim::ScenarioError& error) {
      return error.what();
    }
    return "";
  };
  EXPECT_EQ(errorOf("set isEnabled YES\nwithout-method -[SBLockScreenManager frobnicate]\nboot\n"),
            "run.scenario:2: -[SBLockScreenManager frobnicate]: the host has no such method to be without");
}

// Screen-off mode with YES closes the reachability window of the home-button mode
// (and sets isLocked); with NO it changes nothing. The display is not touched either way.
TEST(HostEvents, ScreenOffModeAloneMovesOnlyTheTweaksFlags) {
  const std::string toggles = "expect count host \"-[SBReachabilityManager toggleReachability]\"";
  const Ran ran = runText(kHomeButtonMode +
                          "set isReachavilityDisabled YES\n"
                          "press lock\npress lock\nwait 1\nunlock\n"  // 0.5 s after the display lit: open again
                          "reachability\n" + toggles + " == 1\n"
                          "screen-off-mode off\n"
                          "reachability\n" + toggles + " == 2\n"
                          "screen-off-mode on\n"
                          "expect count host \"-[SBDashBoardViewController setInScreenOffMode:forAutoUnlock:fromUnlockSource:] YES\" == 2\n"
                          "reachability\n" + toggles + " == 2\n"
                          "expect display on\nexpect lockscreen down\n");
  EXPECT_EQ(ran.status, 0) << ran.errors << ran.timeline;
}

// Presented twice in a row, the lock screen gets a new motion source, started at
// the interval of now, and the sampling timer is not doubled. The first source is released
// by the lock-screen manager without a stop, but the timer's target is that source and
// keeps it: it delivers on, at its old interval.
TEST(HostEvents, ASecondPresentationStartsANewMotionSourceAndKeepsOneTimer) {
  std::ostringstream out, errors;
  sim::Timeline timeline(out, sim::Format::Text);
  sim::Session session("typed", ".", timeline, errors, false);
  std::size_t line = 0;
  for (const char* text : {"set isEnabled YES", "set isUpdateIntervalEnabled YES", "set updateIntervalSlider 2",
                           "press lock", "set updateIntervalSlider 0", "present-lockscreen",
                           "expect count motion \"updates started\" == 2",
                           "expect count host \"-[SBLockScreenManager lockScreenViewControllerDidPresent]\" == 2"}) {
    ASSERT_TRUE(session.runLine(text, ++line)) << text << errors.str() << out.str();
  }
  EXPECT_EQ(foundation::validRepeatingTimers(), 1) << "one sampling timer";
  EXPECT_EQ(coremotion::activeUpdateIntervals(), (std::vector<double>{0.025, 0.1})) << "the first one goes on";
  for (const char* text : {"press lock", "unlock", "present-lockscreen"}) ASSERT_TRUE(session.runLine(text, ++line));
  EXPECT_NE(out.str().find("present-lockscreen refused: the lock screen is not up"), std::string::npos) << out.str();
}

// An error handed to the sample handler is ignored; the step still runs, on the
// latest reading, which the failed delivery did not replace.
TEST(HostEvents, AFailedMotionDeliveryHandsNoReadingAndTheStepsGoOn) {
  const Ran ran = runText(
      "set isEnabled YES\nset isUpdateIntervalEnabled YES\nset updateIntervalSlider 4\n"  // every 0.5 s
      "pose face-up\npress lock\nstep\n"
      "motion-error\n"
      "lift over 0\n"
      "step\n"  // 1.0 s: the delivery fails, and both steps see the face-up reading of 0.5 s
      "expect count motion \"delivery failed: the handler gets an error and no reading\" == 1\n"
      "expect display off\n"
      "step\n"  // 1.5 s: a reading again
      "expect display on\n"
      "expect sampling on\n");
  EXPECT_EQ(ran.status, 0) << ran.errors << ran.timeline;
}

// A component that is not a number never counts.
TEST(HostEvents, UserAccelerationThatIsNotANumberNeverCounts) {
  const Ran ran = runText(
      "set isEnabled YES\nset wakeGestureMode 1\n"  // any motion: 2 g
      "press lock\n"
      "accelerate nan nan nan\nwait 2\nexpect display off\n"
      "accelerate 0 0 -1.99\nwait 2\nexpect display off\n"
      "accelerate nan NaN -2.5 for 1.5\nwait 2\nexpect display on\n"
      "expect count display \"on\" == 1\n");
  EXPECT_EQ(ran.status, 0) << ran.errors << ran.timeline;
}

// The pose table: a gravity component that is not a number classifies as nothing.
TEST(HostEvents, AGravityThatIsNotANumberIsNoPose) {
  const auto directory = std::filesystem::temp_directory_path() / ("tessaro-nan-" + std::to_string(::getpid()));
  std::filesystem::create_directories(directory);
  std::ofstream(directory / "raised.csv") << "t,gx,gy,gz,ux,uy,uz\n0,0,0,-1,0,0,0\n1,nan,-0.85,-0.5,0,0,0\n"
                                             "2,nan,-0.85,-0.5,0,0,0\n3,0,-0.85,-0.5,0,0,0\n";
  const Ran ran = runText(
      "set isEnabled YES\npress lock\n"
      "pose nan -0.85 -0.5\nwait 3\nexpect display off\n"
      "pose face-up\nwait 2\n"
      "replay raised.csv\nwait 2.5\nexpect display off\n"  // the raised readings with gx nan
      "wait 1\nexpect display on\n",
      directory);
  std::filesystem::remove_all(directory);
  EXPECT_EQ(ran.status, 0) << ran.errors << ran.timeline;
}

// A value stored while the switch was on stays 0.0 after it is turned off, until
// the host sets it again.
TEST(HostEvents, AReachabilitySettingStaysZeroUntilTheHostSetsItAgain) {
  const std::string stored = "expect count host \"-[SBReachabilitySettings setYOffsetFactor:] ";
  const Ran ran = runText(
      "set isReachavilityDisabled YES\nboot\n" + stored + "0\" == 1\n" +
      "set isReachavilityDisabled NO\nwait 1\n" + stored + "0.4\" == 0\n" +
      "reachability-setting yOffsetFactor 0.4\n" + stored + "0.4\" == 1\n" +
      "reachability-setting systemWideSwipeDownHeight 80\n"
      "expect count host \"-[SBReachabilitySettings setSystemWideSwipeDownHeight:] 80\" == 1\n");
  EXPECT_EQ(ran.status, 0) << ran.errors << ran.timeline;
}

// A fade cut short still calls its completion, and the next step runs at once.
TEST(HostEvents, AFadeCutShortRunsTheRepairsNextStepAtOnce) {
  const Ran ran = runText(
      "set isEnabled YES\nprogress-image\nboot\n"
      "post com.brel.tessaro.fixButton\n"
      "wait 0.25\n"
      "expect setting isEnabled YES\n"
      "cut-animations\n"
      "expect setting isEnabled NO\n"  // step 2 at 0.25 s, not 0.5 s
      "at 1.2\nexpect count button \"lock (simulated)\" == 0\n"
      "at 1.25\nexpect count button \"lock (simulated)\" == 1\n"
      "cut-animations\n");
  EXPECT_EQ(ran.status, 0) << ran.errors << ran.timeline;
  EXPECT_NE(ran.timeline.find("cut-animations: 1 view animation cut short"), std::string::npos) << ran.timeline;
  EXPECT_NE(ran.timeline.find("cut-animations: 0 view animations cut short"), std::string::npos) << ran.timeline;
}

}  // namespace
