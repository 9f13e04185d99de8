// What the device can show: the tweak's questions to the host and the recognizers'
// delegate questions (verbose), the home button's recognizers, the tweak's in-memory
// settings, and what a toggle shows in each state.

#include "tests/tools/ScenarioRun.h"

#include <gtest/gtest.h>

namespace {

using simtest::Ran;
using simtest::runText;

const std::string kHomeButtonMode = "set isEnabled YES\nset isAllowTapOnScreenOffEnabled YES\n";

// The flags are tested first, then screenIsOn, and Low Power Mode is asked only
// when the screen is off.
TEST(Verbose, TheTweaksQuestionsShowInTheOrderItAsksThem) {
  const std::string lowPower = "expect count query \"-[NSProcessInfo isLowPowerModeEnabled] -> NO\"";
  const Ran ran = runText(kHomeButtonMode + "set tapToWakeMode 0\n" +
                          "press lock\nexpect count query == 0\n"
                          "verbose\n"
                          "press lock\n"  // lit: the display-on hook asks about Low Power Mode
                          + lowPower + " == 1\n" +
                          "press home\nwait 1\n"  // the single tap on a lit screen: performTheAction declines
                          "expect count tweak \"-[SBHomeHardwareButton performTheAction]\" == 1\n"
                          "expect count query \"-[SBBacklightController screenIsOn] -> YES\" == 1\n" +
                          lowPower + " == 1\n" +
                          "press lock\n"  // dark again
                          "press home\nwait 1\n"
                          "expect count query \"-[SBBacklightController screenIsOn] -> NO\" == 1\n"
                          "expect display on\n"
                          "verbose off\n"
                          "open control-center\n"
                          "expect count query \"-[CCUIToggleViewController module] -> TessaroModule\" == 0\n");
  EXPECT_EQ(ran.status, 0) << ran.errors << ran.timeline;
  // The module's own question as the tweak asks it, once verbose.
  const auto screenOff = ran.timeline.find("query                  -[SBBacklightController screenIsOn] -> NO");
  ASSERT_NE(screenOff, std::string::npos) << ran.timeline;
  EXPECT_NE(ran.timeline.find("query                  -[NSProcessInfo isLowPowerModeEnabled] -> NO", screenOff),
            std::string::npos)
      << "Low Power Mode is asked after the screen";
}

TEST(Verbose, TheTogglesModuleIsAQuestionTooWithItsAnswer) {
  const Ran ran = runText("set isEnabled YES\nverbose\nopen control-center\n"
                          "expect count query \"-[CCUIToggleViewController module] -> TessaroModule\" >= 1\n"
                          "expect count query \"-[CCUIContentModuleContext moduleIdentifier] -> \\\"com.brel.control-center.tessaromodule\\\"\" >= 1\n");
  EXPECT_EQ(ran.status, 0) << ran.errors << ran.timeline;
}

// (single tap, long tap) and (double-tap-up, tap and hold) are the tweak's to
// answer YES; every other pair goes to the host.
TEST(Verbose, EachDelegateQuestionShowsItsAnswerAndWhoGaveIt) {
  const Ran ran = runText(kHomeButtonMode + "set tapToWakeMode 2\nverbose\npress lock\nhold home 1\n"
                          "expect count gesture \"delegate: #3 UILongPressGestureRecognizer(longTapFired:) with #4 "
                          "SBHBDoubleTapUpGestureRecognizer(singleTapUpFired:) -> YES (answered by a hook, not the host)\" == 1\n"
                          "expect count gesture \"delegate: #3 UILongPressGestureRecognizer(longTapFired:) with #1 "
                          "SBHBDoubleTapUpGestureRecognizer(doubleTapUp:) -> NO (answered by the host)\" == 1\n");
  EXPECT_EQ(ran.status, 0) << ran.errors << ran.timeline;
}

// A configuration holds the last three recognizers made for it; the ones it no
// longer holds stay attached.
TEST(ShowHomeGestures, TheConfigurationHoldsTheLastOnesMadeAndEveryOneStaysAttached) {
  const Ran ran = runText(kHomeButtonMode + "boot\nshow home-gestures\nrebuild-home-gestures\nshow home-gestures\n");
  ASSERT_EQ(ran.status, 0) << ran.errors;
  EXPECT_NE(ran.timeline.find("home gestures: configuration doubleTapUpGestureRecognizer #1 "
                              "SBHBDoubleTapUpGestureRecognizer(doubleTapUp:), longTapGestureRecognizer #3 "
                              "UILongPressGestureRecognizer(longTapFired:), singleTapGestureRecognizer #4 "
                              "SBHBDoubleTapUpGestureRecognizer(singleTapUpFired:), tapAndHoldTapGestureRecognizer #2 "
                              "UILongPressGestureRecognizer(tapAndHoldFired:); attached #1"),
            std::string::npos)
      << ran.timeline;
  EXPECT_NE(ran.timeline.find("singleTapGestureRecognizer #8 SBHBDoubleTapUpGestureRecognizer(singleTapUpFired:)"),
            std::string::npos)
      << ran.timeline;
  EXPECT_NE(ran.timeline.find("#8 SBHBDoubleTapUpGestureRecognizer(singleTapUpFired:)\n"), std::string::npos)
      << "all eight attached";
}

TEST(ShowHomeGestures, WithoutTheHomeButtonModeTheHostsAloneAreThere) {
  const Ran ran = runText("set isEnabled YES\nboot\nshow home-gestures\n");
  ASSERT_EQ(ran.status, 0) << ran.errors;
  EXPECT_NE(ran.timeline.find("home gestures: configuration doubleTapUpGestureRecognizer #1 "
                              "SBHBDoubleTapUpGestureRecognizer(doubleTapUp:), longTapGestureRecognizer none, "
                              "singleTapGestureRecognizer none, tapAndHoldTapGestureRecognizer none; attached #1 "
                              "SBHBDoubleTapUpGestureRecognizer(doubleTapUp:)\n"),
            std::string::npos)
      << ran.timeline;
}

// The reload is the only way into `prefs`, so an edit nobody told the tweak of is
// in the file and not in `prefs`; the write-back of isEnabled reads the file again (keeping
// that edit) and makes it `prefs`.
TEST(ExpectPrefs, AnEditTheTweakWasNotToldOfIsInTheFileAndNotInPrefs) {
  const Ran ran = runText(
      "set isEnabled YES\nset wakeMode 1\nboot\n"
      "expect prefs wakeMode 1\nexpect prefs tapToWakeMode absent\n"
      "edit-settings wakeMode 2\n"
      "expect setting wakeMode 2\nexpect prefs wakeMode 1\n"
      "post com.brel.tessaro.setDisabled\n"
      "expect prefs isEnabled NO\nexpect prefs wakeMode 2\nexpect setting wakeMode 2\n"
      "delete-settings\nexpect prefs isEnabled NO\n"
      "post com.brel.tessaro.prefschanged\n"
      "expect prefs isEnabled absent\n"
      "expect prefs isEnabled NO\n");
  EXPECT_EQ(ran.status, 1) << ran.errors << ran.timeline;
  EXPECT_EQ(ran.errors, "run.scenario:17: expected prefs isEnabled NO, got no prefs (no readable settings file at the last reload)\n");
}

// The repair's two writes leave both the file and `prefs` with isEnabled YES.
TEST(ExpectPrefs, AfterTheRepairTheFileAndPrefsHoldIsEnabledYes) {
  const Ran ran = runText("set isEnabled NO\nset wakeMode 1\nboot\npost com.brel.tessaro.fixButton\nwait 1\n"
                          "expect prefs isEnabled NO\nwait 5\nexpect prefs isEnabled YES\nexpect setting isEnabled YES\n"
                          "expect prefs wakeMode 1\n");
  EXPECT_EQ(ran.status, 0) << ran.errors << ran.timeline;
}

// With the styling switched off at view load the hook shows the highlight, clears
// the background and sets no radius; with colours on it hides the highlight and sets 19.
TEST(ToggleShows, TheStylingMasterSwitchDecidesHighlightAndRadius) {
  const Ran off = runText("set isEnabled YES\nstyle isEnabled NO\nstyle isColoredTogglesEnabled YES\nopen control-center\n"
                          "expect toggle tessaro highlight shown\nexpect toggle tessaro background clear\n"
                          "expect toggle tessaro radius unset\n");
  EXPECT_EQ(off.status, 0) << off.errors << off.timeline;
}

TEST(ToggleShows, ColouredTogglesHideTheHighlightAndSetTheRadius) {
  const Ran on = runText("set isEnabled YES\nstyle isEnabled YES\nstyle isColoredTogglesEnabled YES\nopen control-center\n"
                         "expect toggle tessaro highlight hidden\nexpect toggle tessaro background D78449\n"
                         "expect toggle tessaro radius 19\nexpect toggle tessaro radius unset\n");
  EXPECT_EQ(on.status, 1);
  EXPECT_EQ(on.errors, "run.scenario:8: expected toggle tessaro radius unset, got set: 19.0\n") << "19 was set, by the tweak";
}

// The glyph table, as the host shows it: the selected glyph when there is one, else
// the plain one.
TEST(ToggleShows, WhichGlyphShowsInEachStateFollowsTheStylingFile) {
  const Ran ran = runText(
      "boot\nopen control-center\n"
      "expect toggle tessaro glyph selected OFF\nexpect toggle tessaro glyph unselected OFF\n"
      "style isOnlyOneGlyphEnabled YES\n"  // without the master switch: no change
      "expect toggle tessaro glyph selected OFF\nexpect toggle tessaro glyph unselected OFF\n"
      "style isEnabled YES\n"
      "expect toggle tessaro glyph selected ON\nexpect toggle tessaro glyph unselected ON\n"
      "unstyle isOnlyOneGlyphEnabled\n"
      "expect toggle tessaro glyph selected ON\nexpect toggle tessaro glyph unselected OFF\n"
      // Scaled, the glyph is a new picture drawn from the bundle's image: still "ON".
      "style isScaleIconEnabled YES\nstyle scaleIcon 1.5\n"
      "expect toggle tessaro glyph selected ON\nexpect toggle tessaro glyph unselected OFF\n");
  EXPECT_EQ(ran.status, 0) << ran.errors << ran.timeline;
}

// White only when both the master switch and coloured toggles are on.
TEST(ToggleShows, TheSelectedColourIsTheSettingsColourUnlessBothSwitchesAreOn) {
  const Ran ran = runText(
      "set bgTessaroColor \"#2E9E6B\"\nstyle isColoredTogglesEnabled YES\nboot\n"
      "expect toggle tessaro selected-color 2E9E6B\n"
      "style isEnabled YES\nexpect toggle tessaro selected-color FFFFFF\n"
      "edit-settings bgTessaroColor \"not a colour\"\nunstyle isEnabled\n"
      "expect toggle tessaro selected-color D78449\n");
  EXPECT_EQ(ran.status, 0) << ran.errors << ran.timeline;
}

// A picture the device cannot follow to a file is not passed off as one.
TEST(ToggleShows, AGlyphOfNoFileIsSaidToBeSo) {
  const Ran ran = runText("boot\nexpect toggle do-not-disturb glyph unselected OFF\n");
  EXPECT_EQ(ran.status, 1);
  EXPECT_EQ(ran.errors, "run.scenario:2: expected toggle do-not-disturb glyph unselected OFF, got an image of no file\n");
}

}  // namespace
