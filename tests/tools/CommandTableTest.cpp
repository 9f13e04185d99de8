// The command table: the docs hold the same table, every row is reachable by its own words,
// and one line parses where the device stands.

#include "tools/tessaro-sim/Scenario.h"
#include "tools/tessaro-sim/commands/CommandTable.h"

#include <gtest/gtest.h>

#include <fstream>
#include <regex>
#include <set>
#include <sstream>

namespace {

using namespace sim;

std::string slurp(const char* path) {
  std::ifstream in(path);
  std::ostringstream text;
  text << in.rdbuf();
  return text.str();
}

// The block of docs/SCENARIOS.md between "<!-- commands: NAME -->" and its end marker.
std::optional<std::string> docsBlock(const std::string& docs, std::string_view family) {
  const std::string begin = "<!-- commands: " + std::string(family) + " -->\n";
  const auto from = docs.find(begin);
  if (from == std::string::npos) return std::nullopt;
  const auto to = docs.find("<!-- end of commands -->", from);
  if (to == std::string::npos) return std::nullopt;
  return docs.substr(from + begin.size(), to - from - begin.size());
}

TEST(CommandTable, TheDocsHoldEveryFamilysTableAsTheProgramPrintsIt) {
  const std::string docs = slurp(TESSARO_SCENARIOS_DOC);
  ASSERT_FALSE(docs.empty()) << TESSARO_SCENARIOS_DOC;
  std::set<std::string> families;
  for (const CommandFamily& family : commandFamilies()) {
    families.insert(std::string(family.name));
    const auto block = docsBlock(docs, family.name);
    ASSERT_TRUE(block) << "docs/SCENARIOS.md has no table for " << family.name
                       << "; `tessaro-sim --commands --markdown` prints it";
    EXPECT_EQ(*block, markdownTable(family))
        << "docs/SCENARIOS.md disagrees with the command table for " << family.name
        << "; `tessaro-sim --commands --markdown` prints what it should hold";
  }
  // And no table of a family the program does not have.
  const std::regex marker("<!-- commands: (.*?) -->");
  for (auto it = std::sregex_iterator(docs.begin(), docs.end(), marker); it != std::sregex_iterator(); ++it) {
    EXPECT_TRUE(families.contains((*it)[1].str())) << "docs/SCENARIOS.md has a table of no family: " << (*it)[1];
  }
}

// Each row is what a line of its own words parses as: no row is hidden behind another, and
// its usage begins with its words.
TEST(CommandTable, EveryRowIsReachedByItsOwnWordsAndShowsThemInItsUsage) {
  std::set<std::string> seen;
  std::size_t rows = 0;
  for (const CommandFamily& family : commandFamilies()) {
    for (const CommandRow& row : family.rows) {
      ++rows;
      SCOPED_TRACE(row.words);
      EXPECT_TRUE(seen.insert(std::string(row.words)).second) << "two rows of the same words";
      EXPECT_LE(row.least, row.most);
      EXPECT_FALSE(row.description.empty());
      // The words as a line would write them: the first alternative, a toggle for NAME.
      std::string words, shown;
      std::istringstream in{std::string(row.words)};
      for (std::string word; in >> word;) {
        const std::string first = word.substr(0, word.find('|'));
        words += (words.empty() ? "" : " ") + (first == "NAME" ? std::string("tessaro") : first);
        shown += (shown.empty() ? "" : " ") + first;
      }
      EXPECT_EQ(std::string(row.usage).rfind(shown, 0), 0u) << row.usage;
      // Too few arguments (when it takes some) is refused with this row's usage.
      if (row.least > 0) {
        try {
          parseLine(words, "t.scenario", 1, ParseContext{});
          ADD_FAILURE() << "parsed without its arguments";
        } catch (const ScenarioError& error) {
          EXPECT_EQ(std::string(error.what()), "t.scenario:1: usage: " + std::string(row.usage));
        }
      }
    }
  }
  std::ostringstream json;
  printCommands(json, TableFormat::Json);
  std::istringstream printed(json.str());
  std::size_t lines = 0;
  for (std::string line; std::getline(printed, line);) ++lines;
  EXPECT_EQ(lines, rows) << "--commands --json prints one line a row";
}

TEST(CommandTable, OneLineParsesWhereTheDeviceStands) {
  const ParseContext before{};
  const ParseContext after{".", 3, false, 10.0};
  auto parsed = parseLine("  wait 2   # a comment", "live", 7, before);
  ASSERT_TRUE(parsed);
  EXPECT_EQ(parsed->when, When::AfterBoot) << "the caller boots the device first";
  EXPECT_EQ(parsed->step.line, 7u);
  EXPECT_EQ(parsed->step.text, "wait 2");
  EXPECT_FALSE(parseLine("# nothing but a comment", "live", 8, before));

  EXPECT_EQ(parseLine("without SBReachabilitySettings", "live", 1, before)->when, When::BeforeBoot);
  try {
    parseLine("without SBReachabilitySettings", "live", 9, after);
    ADD_FAILURE() << "a before-boot line after the boot";
  } catch (const ScenarioError& error) {
    EXPECT_EQ(std::string(error.what()), "live:9: \"without\" must come before the device boots; line 3 boots it");
  }
  // The device's clock is the line's: `at` cannot go back to before it.
  EXPECT_TRUE(parseLine("at 12", "live", 2, after));
  EXPECT_THROW(parseLine("at 9", "live", 2, after), ScenarioError);
}

TEST(CommandTable, ALineThatStartsLikeSomeCommandsIsToldWhatCouldFollow) {
  const std::vector<std::pair<std::string, std::string>> cases = {
      {"expect", "t:1: usage: expect display on|off | expect lockscreen up|down | "},
      {"expect weather", "t:1: unknown expectation \"weather\" (display, lockscreen, sampling, reachability, count, "},
      {"expect toggle tessaro glowing", "t:1: unknown toggle expectation \"glowing\" (selected, background, radius, "},
      {"open", "t:1: usage: open control-center"},
      {"\"wait\" 1", "t:1: a command cannot be quoted"},
      {"expect lock-screen sideways", "t:1: expected up or down, got \"sideways\""},
  };
  for (const auto& [text, message] : cases) {
    SCOPED_TRACE(text);
    try {
      parseLine(text, "t", 1, ParseContext{});
      ADD_FAILURE() << "parsed";
    } catch (const ScenarioError& error) {
      EXPECT_EQ(std::string(error.what()).rfind(message, 0), 0u) << error.what();
    }
  }
}

}  // namespace
