#include "tools/tessaro-sim/commands/CommandTable.h"

#include "tools/tessaro-sim/Scenario.h"
#include "tools/tessaro-sim/Words.h"
#include "tools/tessaro-sim/commands/Families.h"

#include <algorithm>
#include <array>
#include <cctype>
#include <vector>

namespace sim {

namespace {

std::vector<std::string_view> split(std::string_view text, char separator) {
  std::vector<std::string_view> parts;
  while (true) {
    const auto at = text.find(separator);
    parts.push_back(text.substr(0, at));
    if (at == std::string_view::npos) return parts;
    text.remove_prefix(at + 1);
  }
}

std::vector<std::string_view> wordsOf(const CommandRow& row) { return split(row.words, ' '); }

// "NAME", "CLASS": any one word stands there.
bool isPlaceholder(std::string_view word) {
  return !word.empty() && std::all_of(word.begin(), word.end(), [](char c) { return std::isupper(static_cast<unsigned char>(c)); });
}

// A row's words, each as its alternatives (none: a placeholder), split once for every line.
struct Pattern {
  const CommandRow* row;
  std::vector<std::vector<std::string_view>> words;
};

const std::vector<Pattern>& patterns() {
  static const std::vector<Pattern> all = [] {
    std::vector<Pattern> made;
    for (const CommandFamily& family : commandFamilies()) {
      for (const CommandRow& row : family.rows) {
        Pattern pattern{&row, {}};
        for (std::string_view word : wordsOf(row)) {
          pattern.words.push_back(isPlaceholder(word) ? std::vector<std::string_view>{} : split(word, '|'));
        }
        made.push_back(std::move(pattern));
      }
    }
    return made;
  }();
  return all;
}

bool matches(const std::vector<std::string_view>& alternatives, const Token& token) {
  if (alternatives.empty()) return true;
  return !token.quoted && std::find(alternatives.begin(), alternatives.end(), token.text) != alternatives.end();
}

// How many of the pattern's words the line starts with.
std::size_t matchedWords(const Pattern& pattern, const Line& line) {
  std::size_t n = 0;
  while (n < pattern.words.size() && n < line.size() && matches(pattern.words[n], line[n])) ++n;
  return n;
}

const CommandRow* rowFor(const Line& line) {
  const Pattern* best = nullptr;
  for (const Pattern& pattern : patterns()) {
    const std::size_t words = pattern.words.size();
    if (matchedWords(pattern, line) == words && (best == nullptr || words > best->words.size())) best = &pattern;
  }
  return best ? best->row : nullptr;
}

std::string canonical(std::string_view word) { return std::string(split(word, '|').front()); }

// The line starts like some rows and matches none: say what could follow.
[[noreturn]] void refuse(const Line& line) {
  std::size_t deepest = 0;
  for (const Pattern& pattern : patterns()) deepest = std::max(deepest, matchedWords(pattern, line));
  if (deepest == 0) line.fail("unknown command " + quote(line.word(0)));
  std::vector<const CommandRow*> candidates;
  for (const Pattern& pattern : patterns()) {
    if (matchedWords(pattern, line) == deepest) candidates.push_back(pattern.row);
  }
  std::string usages;
  for (const CommandRow* row : candidates) usages += (usages.empty() ? "" : " | ") + std::string(row->usage);
  if (deepest == line.size()) line.fail("usage: " + usages);

  const auto words = wordsOf(*candidates.front());
  std::string prefix;
  for (std::size_t i = 0; i < deepest; ++i) prefix += (i ? " " : "") + std::string(words[i]);
  for (const CommandNoun& noun : commandNouns()) {
    if (noun.words != prefix) continue;
    std::vector<std::string> next;
    for (const CommandRow* row : candidates) {
      const std::string word = canonical(wordsOf(*row)[deepest]);
      if (std::find(next.begin(), next.end(), word) == next.end()) next.push_back(word);
    }
    std::string listed;
    for (const std::string& word : next) listed += (listed.empty() ? "" : ", ") + word;
    line.fail("unknown " + std::string(noun.noun) + " " + quote(line.word(deepest)) + " (" + listed + ")");
  }
  line.fail("usage: " + usages);
}

std::string escapedForMarkdown(std::string_view text) {
  std::string escaped;
  for (char c : text) {
    if (c == '|') escaped += '\\';
    escaped += c;
  }
  return escaped;
}

}  // namespace

const char* whenName(When when) {
  switch (when) {
    case When::BeforeBoot: return "before boot";
    case When::AfterBoot: return "after boot";
    case When::Anywhere: return "anywhere";
  }
  return "?";
}

std::span<const CommandFamily> commandFamilies() {
  static const std::array families = {
      CommandFamily{"settings and files", settingsCommands()},
      CommandFamily{"time", timeCommands()},
      CommandFamily{"buttons and gestures", buttonCommands()},
      CommandFamily{"motion", motionCommands()},
      CommandFamily{"Control Center and drawing", controlCenterCommands()},
      CommandFamily{"the host", hostCommands()},
      CommandFamily{"expectations", expectCommands()},
  };
  return families;
}

std::span<const CommandNoun> commandNouns() {
  static constexpr std::array nouns = {
      CommandNoun{"expect", "expectation"},
      CommandNoun{"expect toggle NAME", "toggle expectation"},
      CommandNoun{"press", "button"},
      CommandNoun{"open", "thing to open"},
      CommandNoun{"close", "thing to close"},
  };
  return nouns;
}

std::optional<ParsedLine> parseLine(std::string_view text, const std::string& file, std::size_t number,
                                    const ParseContext& context) {
  std::string problem;
  std::vector<Token> tokens = tokenize(text, problem);
  Line line(file, number, std::move(tokens));
  if (!problem.empty()) line.fail(problem);
  if (line.size() == 0) return std::nullopt;
  if (line[0].quoted) line.fail("a command cannot be quoted");

  const CommandRow* row = rowFor(line);
  if (row == nullptr) refuse(line);
  line.setUsage(row->usage);
  const std::size_t arguments = line.size() - wordsOf(*row).size();
  if (arguments < row->least || arguments > row->most) line.fail(line.usage());
  Command command = row->parse(line, context);

  if (row->when == When::BeforeBoot && context.bootLine) {
    const std::string why = context.bootImplicit ? " needs the device and boots it" : " boots it";
    if (std::holds_alternative<command::Boot>(command)) {
      line.fail("the device has already booted: line " + std::to_string(*context.bootLine) + why);
    }
    line.fail(quote(line.word(0)) + " must come before the device boots; line " + std::to_string(*context.bootLine) + why);
  }
  return ParsedLine{Step{number, joined(line.tokens()), std::move(command)}, row->when};
}

std::string markdownTable(const CommandFamily& family) {
  std::string table = "| command | when | what it does |\n|---|---|---|\n";
  for (const CommandRow& row : family.rows) {
    table += "| `" + escapedForMarkdown(row.usage) + "` | " + whenName(row.when) + " | " +
             escapedForMarkdown(row.description) + " |\n";
  }
  return table;
}

bool namesHostFile(const CommandRow& row) { return row.usage.find("FILE") != std::string_view::npos; }

const CommandRow* hostFileCommand(std::string_view text) {
  std::string problem;
  const std::vector<Token> words = tokenize(text, problem);
  if (words.empty() || words.front().quoted) return nullptr;
  for (const CommandFamily& family : commandFamilies()) {
    for (const CommandRow& row : family.rows) {
      if (namesHostFile(row) && row.words.substr(0, row.words.find(' ')) == words.front().text) return &row;
    }
  }
  return nullptr;
}

void printCommands(std::ostream& out, TableFormat format) {
  std::size_t width = 0;
  for (const CommandFamily& family : commandFamilies()) {
    for (const CommandRow& row : family.rows) width = std::max(width, row.usage.size());
  }
  width = std::min<std::size_t>(width, 48);
  bool first = true;
  for (const CommandFamily& family : commandFamilies()) {
    if (format == TableFormat::Markdown) {
      out << (first ? "" : "\n") << "<!-- commands: " << family.name << " -->\n"
          << markdownTable(family) << "<!-- end of commands -->\n";
    } else if (format == TableFormat::Text) {
      out << (first ? "" : "\n") << family.name << ":\n";
    }
    first = false;
    for (const CommandRow& row : family.rows) {
      if (format == TableFormat::Json) {
        nlohmann::ordered_json json;
        json["family"] = family.name;
        json["words"] = row.words;
        json["when"] = whenName(row.when);
        json["arguments"] = {{"least", row.least}, {"most", row.most}};
        json["usage"] = row.usage;
        json["description"] = row.description;
        out << json.dump() << "\n";
      } else if (format == TableFormat::Text) {
        // A usage wider than the column has the rest of its row on a line of its own.
        std::string usage(row.usage);
        if (usage.size() > width) usage += "\n" + std::string(width + 2, ' ');
        else usage.resize(width, ' ');
        std::string when = whenName(row.when);
        when.resize(13, ' ');
        out << "  " << usage << "  " << when << row.description << "\n";
      }
    }
  }
}

bool settlesAfter(const Command& command) {
  return std::visit([](const auto& c) { return !requires { std::decay_t<decltype(c)>::kLeavesWork; }; }, command);
}

}  // namespace sim
