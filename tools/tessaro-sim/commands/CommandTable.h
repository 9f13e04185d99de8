#pragma once
// The scenario language as one table: for each command the words that pick it, when it may
// stand (before the device boots, after, or anywhere), how many arguments follow its words,
// its usage line, a one-line description and its parser. The rows live beside their
// commands, one file a family (settings and files, time, buttons and gestures, motion,
// Control Center and drawing, the host, expectations); `tessaro-sim --commands` prints
// them, and docs/SCENARIOS.md holds the same table, which a test compares.
//
// A row's words are literal words, a word may offer alternatives ("lockscreen|lock-screen",
// the first is the one shown), and a word in capitals ("NAME") stands for any one word. A
// line is taken for the row whose words it starts with, the longest such row; a line that
// starts like some rows but matches none is refused with what could follow.
//
// parseLine is the one entry to the language: one line, in the state the device is in
// (booted or not, its clock), parsed and checked; a scenario is parsed line by line
// through it, and a running device can be handed lines one at a time (Session::runLine).

#include "tools/tessaro-sim/commands/Commands.h"
#include "tools/tessaro-sim/commands/Line.h"

#include <nlohmann/json.hpp>

#include <cstddef>
#include <filesystem>
#include <optional>
#include <ostream>
#include <span>
#include <string>
#include <string_view>

namespace sim {

enum class When { BeforeBoot, AfterBoot, Anywhere };

// Where a line stands, as far as parsing needs to know.
struct ParseContext {
  std::filesystem::path directory;  // files a line names are found relative to it
  std::optional<std::size_t> bootLine;  // the line that booted the device; none: not yet
  bool bootImplicit = false;            // that line needed the device and so booted it
  double clock = 0;                     // device time at this line, as far as it is known
};

using Parser = Command (*)(Line& line, const ParseContext& context);

struct CommandRow {
  std::string_view words;
  When when;
  std::size_t least, most;  // argument words after `words`
  std::string_view usage;
  std::string_view description;
  Parser parse;
};

struct CommandFamily {
  std::string_view name;
  std::span<const CommandRow> rows;
};

// Every family, in the order the docs and --commands show them.
std::span<const CommandFamily> commandFamilies();

// A word that leads into several rows and what a wrong word after it is called: after
// "expect", an unknown "expectation".
struct CommandNoun {
  std::string_view words;
  std::string_view noun;
};
std::span<const CommandNoun> commandNouns();

struct ParsedLine {
  Step step;
  When when;
};

// One line (number `number` of `file`), parsed in `context`: nullopt for a blank line or a
// comment; ScenarioError "FILE:LINE: ..." for a line that is no command, has bad
// arguments, or cannot stand where it does (a before-boot line after the device booted).
std::optional<ParsedLine> parseLine(std::string_view text, const std::string& file, std::size_t number,
                                    const ParseContext& context);

// The table as `tessaro-sim --commands` prints it: text, one JSON object a row, or the
// Markdown tables of docs/SCENARIOS.md.
enum class TableFormat { Text, Json, Markdown };
void printCommands(std::ostream& out, TableFormat format);
// One family's Markdown table, as docs/SCENARIOS.md holds it between
// "<!-- commands: NAME -->" and "<!-- end of commands -->".
std::string markdownTable(const CommandFamily& family);

const char* whenName(When when);

// A row whose arguments name a file of this machine: its usage writes the argument FILE
// (FILE.png, [FILE.png], ...), the table's word for a path.
bool namesHostFile(const CommandRow& row);
// The row with a file argument whose first word begins `text`, or null: what a line that
// may not open files (one from the web) is refused by, before it is parsed, since parsing
// `replay` already reads the recording.
const CommandRow* hostFileCommand(std::string_view text);

}  // namespace sim
