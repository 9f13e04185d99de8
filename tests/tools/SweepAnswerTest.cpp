// A sweep's answer, in-process: labels as read and matched to recordings, the verdicts and
// ranking of settings rows, and the keys that cannot change a replay.

#include "tools/tessaro-sim/KeyRelevance.h"
#include "tools/tessaro-sim/Labels.h"
#include "tools/tessaro-sim/SettingsKeys.h"
#include "tools/tessaro-sim/SweepTable.h"

#include <nlohmann/json.hpp>

#include <gtest/gtest.h>

#include <functional>
#include <sstream>

namespace {

using sim::Cell;
using sim::Expectation;
using sim::LabelError;

std::string errorOf(const std::function<void()>& work) {
  try {
    work();
  } catch (const LabelError& error) {
    return error.what();
  }
  return "";
}

TEST(Labels, AFileReadsItsHeaderCommentsQuotesAndDeadlines) {
  const auto labels = sim::parseLabels(
      "recording,expect,by\r\n"
      "# pocket recordings stay dark\n"
      "\n"
      "lift.csv, wake , 4.5\n"
      "\"in, pocket.json\",no-wake\n"
      "\"say \"\"hi\"\".json\",wake,\n",
      "labels.csv");
  ASSERT_EQ(labels.size(), 3u);
  EXPECT_EQ(labels[0].recording, "lift.csv");
  EXPECT_TRUE(labels[0].expect.wake);
  EXPECT_EQ(labels[0].expect.by, 4.5);
  EXPECT_EQ(labels[0].where, "labels.csv:4");
  EXPECT_EQ(labels[1].recording, "in, pocket.json");
  EXPECT_FALSE(labels[1].expect.wake);
  EXPECT_EQ(labels[2].recording, "say \"hi\".json");
  EXPECT_FALSE(labels[2].expect.by) << "an empty by is no deadline";

  EXPECT_EQ(sim::describeExpectation(labels[0].expect), "wake by 4.5 s");
  EXPECT_EQ(sim::describeExpectation(labels[1].expect), "no-wake");
}

TEST(Labels, EveryBadLineIsNamedByItsLine) {
  const std::vector<std::pair<std::string, std::string>> cases = {
      {"a.csv,wake\nb.csv,yes\n", "labels.csv:2: expect is wake or no-wake, not \"yes\""},
      {"a.csv,no-wake,3\n", "labels.csv:1: by is the time a wake must come by; a no-wake label has none"},
      {"a.csv,wake,-1\n", "labels.csv:1: by is a device time in seconds (0 or more), not \"-1\""},
      {"a.csv,wake,soon\n", "labels.csv:1: by is a device time in seconds (0 or more), not \"soon\""},
      {"a.csv,wake,nan\n", "labels.csv:1: by is a device time in seconds (0 or more), not \"nan\""},
      {"a.csv\n", "labels.csv:1: expected recording,expect[,by]; got 1 cell(s)"},
      {"a.csv,wake,1,2\n", "labels.csv:1: expected recording,expect[,by]; got 4 cell(s)"},
      {",wake\n", "labels.csv:1: the recording is empty"},
      {"\"a.csv,wake\n", "labels.csv:1: a quoted cell does not end"},
      {"\"a\"x,wake\n", "labels.csv:1: text after a quoted cell"},
      {"a.csv,wake\n\na.csv,no-wake\n", "labels.csv:3: a.csv is labelled twice (first on labels.csv:1)"},
      // A header is only a header on the first line.
      {"a.csv,wake\nrecording,expect\n", "labels.csv:2: expect is wake or no-wake, not \"expect\""},
  };
  for (const auto& [text, message] : cases) {
    const std::string& input = text;  // a structured binding is not captured before C++20's clang 16
    EXPECT_EQ(errorOf([&] { sim::parseLabels(input, "labels.csv"); }), message) << text;
  }
}

TEST(Labels, CommandLineWordsAreLabelsOnlyWhenTheyEndInAnExpectation) {
  const auto wake = sim::labelWord("dir/lift.csv:wake");
  ASSERT_TRUE(wake);
  EXPECT_EQ(wake->recording, "dir/lift.csv");
  EXPECT_TRUE(wake->expect.wake);
  const auto dark = sim::labelWord("c:/odd:name.json:no-wake");
  ASSERT_TRUE(dark);
  EXPECT_EQ(dark->recording, "c:/odd:name.json");
  EXPECT_FALSE(dark->expect.wake);
  EXPECT_FALSE(sim::labelWord("lift.csv"));
  EXPECT_FALSE(sim::labelWord("lift.csv:woke"));
  EXPECT_FALSE(sim::labelWord(":wake"));
}

TEST(Labels, MatchingNamesEveryRecordingOnceAndRefusesWhatFitsNone) {
  const std::vector<std::string> given = {"data/a/walk.json", "data/b/walk.json", "data/lift.csv", "data/lift.csv"};
  auto label = [](std::string recording, bool wake, std::string where) {
    return sim::Label{std::move(recording), Expectation{wake, std::nullopt}, std::move(where)};
  };
  // By path from the labels file's directory, by the text as given, by a unique file name.
  const auto matched = sim::matchLabels(given, {label("a/walk.json", false, "l:1"), label("lift.csv", true, "l:2")}, "data",
                                        {label("data/b/walk.json", false, "data/b/walk.json:no-wake")});
  ASSERT_EQ(matched.size(), 3u) << "a recording given twice is one recording";
  EXPECT_FALSE(matched.at("data/a/walk.json").wake);
  EXPECT_FALSE(matched.at("data/b/walk.json").wake);
  EXPECT_TRUE(matched.at("data/lift.csv").wake);

  // A command-line word overrides the file.
  const auto overridden = sim::matchLabels({"data/lift.csv"}, {label("lift.csv", true, "l:1")}, "data",
                                           {label("lift.csv", false, "lift.csv:no-wake")});
  EXPECT_FALSE(overridden.at("data/lift.csv").wake);

  EXPECT_EQ(errorOf([&] { sim::matchLabels(given, {label("walk.json", true, "l:1")}, "elsewhere", {}); }),
            "l:1: walk.json names 2 given recordings (data/a/walk.json, data/b/walk.json): give its path");
  EXPECT_EQ(errorOf([&] { sim::matchLabels({"data/lift.csv"}, {label("lift.csv", true, "l:1"), label("shake.csv", true, "l:2")}, "data", {}); }),
            "l:2: shake.csv names no given recording");
  EXPECT_EQ(errorOf([&] { sim::matchLabels({"data/lift.csv"}, {label("lift.csv", true, "l:1"), label("data/lift.csv", true, "l:2")}, ".", {}); }),
            "l:2: data/lift.csv is labelled twice (also by l:1)");
  const std::string missing = errorOf([&] { sim::matchLabels(given, {label("lift.csv", true, "l:1")}, "data", {}); });
  EXPECT_EQ(missing.rfind("no label for data/a/walk.json, data/b/walk.json: ", 0), 0u) << missing;
}

Cell cell(const std::string& recording, long long wakeGestureMode, long long motionWakes, std::optional<double> firstWake) {
  Cell made;
  made.recording = recording;
  made.gridValues = {{"wakeGestureMode", plist::Value(wakeGestureMode)}};
  made.settings = made.gridValues;
  made.settings.insert_or_assign("isUpdateIntervalEnabled", true);
  made.counts.motionWakes = motionWakes;
  made.counts.firstMotionWake = firstWake;
  return made;
}

TEST(SweepTable, VerdictsTellMissedLateAndFalseWakesFromTimeoutLightings) {
  Cell lit = cell("lift.csv", 0, 0, std::nullopt);
  lit.counts.timeoutLightings = 1;
  EXPECT_EQ(sim::verdictOf(lit, {true, std::nullopt}), sim::Verdict::Missed) << "a time-out lighting is no wake";
  EXPECT_EQ(sim::verdictOf(lit, {false, std::nullopt}), sim::Verdict::StayedDark);
  const Cell woke = cell("lift.csv", 0, 2, 4.0);
  EXPECT_EQ(sim::verdictOf(woke, {true, 4.0}), sim::Verdict::Woke) << "on the deadline is in time";
  EXPECT_EQ(sim::verdictOf(woke, {true, 3.9}), sim::Verdict::Late);
  EXPECT_EQ(sim::verdictOf(woke, {false, std::nullopt}), sim::Verdict::FalseWake);
  Cell crashed = woke;
  crashed.status = Cell::Status::Crashed;
  EXPECT_EQ(sim::verdictOf(crashed, {true, std::nullopt}), sim::Verdict::DidNotRun);
}

// Three recordings (two should wake, one should not) under four settings rows.
struct Fixture {
  sim::Labels labels = {{"a.csv", {true, 5.0}}, {"b.csv", {true, std::nullopt}}, {"pocket.csv", {false, std::nullopt}}};
  std::vector<Cell> cells = {
      // 0: both wake, one late (a missed wake); 1: both in time but slower; 2: both in time,
      // faster, and a false wake; 3: like 1, but a cell crashed.
      cell("a.csv", 0, 1, 6.0), cell("a.csv", 1, 1, 3.0), cell("a.csv", 2, 1, 1.0), cell("a.csv", 3, 1, 3.0),
      cell("b.csv", 0, 1, 2.0), cell("b.csv", 1, 1, 4.0), cell("b.csv", 2, 1, 2.0), cell("b.csv", 3, 1, 4.0),
      cell("pocket.csv", 0, 0, {}), cell("pocket.csv", 1, 0, {}), cell("pocket.csv", 2, 1, 9.0), cell("pocket.csv", 3, 0, {}),
  };
  Fixture() { cells[11].status = Cell::Status::Crashed; }
};

TEST(SweepTable, RowsCountTheirErrorsAndRankByThemThenByTimeToWake) {
  const Fixture f;
  const sim::SweepTable table = sim::tabulate(f.cells, &f.labels);
  ASSERT_EQ(table.rows.size(), 4u);
  const auto& late = table.rows[0];
  EXPECT_EQ(late.wakesExpected, 2);
  EXPECT_EQ(late.wokeAsExpected, 1);
  EXPECT_EQ(late.missedWakes, 1) << "woken after its by";
  EXPECT_EQ(late.falseWakes, 0);
  EXPECT_EQ(late.medianTimeToWake, 4.0) << "the late wake counts in the times: (2 + 6) / 2";
  EXPECT_EQ(late.maxTimeToWake, 6.0);
  EXPECT_EQ(table.rows[1].errors(), 0);
  EXPECT_EQ(table.rows[1].medianTimeToWake, 3.5);
  EXPECT_EQ(table.rows[2].falseWakes, 1);
  EXPECT_EQ(table.rows[2].maxTimeToWake, 2.0) << "a false wake is not a time to wake";
  EXPECT_FALSE(table.rows[3].complete());

  EXPECT_EQ(table.rows[1].rank, 1);
  EXPECT_EQ(table.rows[2].rank, 2) << "one error each: the faster median first";
  EXPECT_EQ(table.rows[0].rank, 3);
  EXPECT_EQ(table.rows[3].rank, 0) << "a row with a cell that did not run is not ranked";
  EXPECT_EQ(table.best, (std::vector<std::size_t>{1, 2, 0, 3}));
}

TEST(SweepTable, RowsAlikeInErrorsAndTimesShareARank) {
  sim::Labels labels = {{"a.csv", {true, std::nullopt}}};
  const std::vector<Cell> cells = {cell("a.csv", 0, 1, 2.0), cell("a.csv", 1, 1, 2.0), cell("a.csv", 2, 0, {})};
  const sim::SweepTable table = sim::tabulate(cells, &labels);
  EXPECT_EQ(table.rows[0].rank, 1);
  EXPECT_EQ(table.rows[1].rank, 1);
  EXPECT_EQ(table.rows[2].rank, 3);
}

TEST(SweepTable, TheAnswerEndsWithTheBestRowAsSetOptionsInEveryForm) {
  const Fixture f;
  std::ostringstream text, json, csv;
  sim::printTable(f.cells, {sim::SweepOutput::Text, &f.labels, true}, text);
  sim::printTable(f.cells, {sim::SweepOutput::Json, &f.labels, true}, json);
  sim::printTable(f.cells, {sim::SweepOutput::Csv, &f.labels, true}, csv);

  EXPECT_NE(text.str().find("\nbest: --set isUpdateIntervalEnabled=YES --set wakeGestureMode=1\n"), std::string::npos) << text.str();
  EXPECT_NE(text.str().find("#1  wakeGestureMode=1: 2 of 2 woken as expected, 0 missed wakes, 0 false wakes; time to wake "
                            "3.500 s median, 4.000 s largest"),
            std::string::npos)
      << text.str();
  // Best first: the ranked rows in order, the unranked one last.
  const auto at = [&](const char* row) { return text.str().find(row); };
  EXPECT_LT(at("#1  wakeGestureMode=1"), at("#2  wakeGestureMode=2"));
  EXPECT_LT(at("#2  wakeGestureMode=2"), at("#3  wakeGestureMode=0"));
  EXPECT_LT(at("#3  wakeGestureMode=0"), at("-  wakeGestureMode=3"));
  EXPECT_NE(text.str().find("late"), std::string::npos);

  std::vector<nlohmann::json> lines;
  std::istringstream in(json.str());
  for (std::string line; std::getline(in, line);) lines.push_back(nlohmann::json::parse(line));
  ASSERT_EQ(lines.size(), 12u + 4u + 1u);
  EXPECT_EQ(lines[0]["verdict"], "late");
  EXPECT_EQ(lines[0]["by"], 5.0);
  EXPECT_EQ(lines[12]["settings"], (nlohmann::json{{"wakeGestureMode", "1"}}));
  EXPECT_EQ(lines[12]["rank"], 1);
  EXPECT_EQ(lines[12]["timeToWake"], (nlohmann::json{{"median", 3.5}, {"max", 4.0}}));
  EXPECT_TRUE(lines[15]["rank"].is_null());
  EXPECT_EQ(lines[16]["event"], "best");
  EXPECT_EQ(lines[16]["set"], (nlohmann::json{"isUpdateIntervalEnabled=YES", "wakeGestureMode=1"}));
  EXPECT_EQ(lines[16]["options"], "--set isUpdateIntervalEnabled=YES --set wakeGestureMode=1");

  std::istringstream rows(csv.str());
  std::string header, first;
  std::getline(rows, header);
  std::getline(rows, first);
  EXPECT_EQ(header,
            "recording,wakeGestureMode,status,readings,motion_wakes,timeout_lightings,home_button_wakes,lock_presses,"
            "first_motion_wake,expect,by,verdict,row_rank,row_missed_wakes,row_false_wakes,row_time_to_wake_median,"
            "row_time_to_wake_max");
  EXPECT_EQ(first, "a.csv,1,ok,0,1,0,0,0,3,wake,5,woke,1,0,0,3.5,4") << "ranked: the best row's cells first";
}

TEST(SweepTable, WithoutLabelsTheTableIsAsBefore) {
  const Fixture f;
  std::ostringstream text;
  sim::printTable(f.cells, {sim::SweepOutput::Text, nullptr, false}, text);
  EXPECT_NE(text.str().find("totals by settings"), std::string::npos);
  EXPECT_EQ(text.str().find("best:"), std::string::npos);
  EXPECT_EQ(text.str().find("expected"), std::string::npos);
}

TEST(KeyRelevance, AKeyThatCannotChangeAnyCellIsNamedWithWhatRulesItOut) {
  const plist::Dictionary off = {{"isEnabled", true}};
  const plist::Dictionary on = {{"isEnabled", true}, {"isWakeScreenSensitivityEnabled", true}};
  EXPECT_EQ(sim::noDifferenceWarning("motionSenstivity", {off, off}),
            "motionSenstivity makes no difference here: isWakeScreenSensitivityEnabled is off in every cell");
  EXPECT_FALSE(sim::noDifferenceWarning("motionSenstivity", {off, on})) << "it matters in one cell";
  // A key of a mode not chosen.
  const plist::Dictionary faceDownOnly = {{"isEnabled", true}, {"wakeMode", 2}};
  EXPECT_EQ(sim::noDifferenceWarning("wakeGestureMode", {faceDownOnly}),
            "wakeGestureMode makes no difference here: wakeMode is neither 0 nor 1 in every cell");
  const plist::Dictionary noTimeout = {{"isEnabled", true}, {"disableDetectionMode", 1}};
  EXPECT_EQ(sim::noDifferenceWarning("disableMotionDetectionSlider", {noTimeout}),
            "disableMotionDetectionSlider makes no difference here: disableDetectionMode is not 0 in every cell");
  // Ruled out in each cell, but not by one setting everywhere.
  const plist::Dictionary homeButton = {{"isEnabled", true}, {"isAllowTapOnScreenOffEnabled", true}, {"isUpdateIntervalEnabled", true}};
  EXPECT_EQ(sim::noDifferenceWarning("updateIntervalSlider", {off, homeButton}),
            "updateIntervalSlider makes no difference here: in every cell isUpdateIntervalEnabled is off or "
            "isAllowTapOnScreenOffEnabled is on");
  EXPECT_EQ(sim::noDifferenceWarning("tapToWakeMode", {off}), "tapToWakeMode makes no difference here: a replay presses no home button");
  EXPECT_FALSE(sim::noDifferenceWarning("isEnabled", {off}));
  EXPECT_FALSE(sim::noDifferenceWarning("motionSensitivity", {off})) << "an unknown key is warned of as unknown";

  // Every key the tweak reads is known here: with the tweak off, only isEnabled matters.
  for (const sim::SettingsKey& key : sim::settingsKeys()) {
    const bool warned = sim::noDifferenceWarning(key.name, {plist::Dictionary{{"isEnabled", false}}}).has_value();
    EXPECT_EQ(warned, std::string_view(key.name) != "isEnabled") << key.name;
  }
  EXPECT_TRUE(sim::readAtStart("isAllowTapOnScreenOffEnabled"));
  EXPECT_TRUE(sim::readAtStart("isReachavilityDisabled"));
  EXPECT_FALSE(sim::readAtStart("wakeMode"));
}

}  // namespace
