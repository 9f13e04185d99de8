#pragma once
// One line of a scenario as its parser sees it: the words, where the line stands, and how
// to read an argument or refuse the line. Every refusal is a ScenarioError
// "FILE:LINE: message".

#include "platform/hardware/MotionReading.h"
#include "platform/plist/PropertyList.h"

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace sim {

struct Token {
  std::string text;
  bool quoted = false;
};

// The words of one line. '#' at the start of a word comments out the rest; "..." is one
// word, with \" \\ \n \t inside; a word of '<' and a letter begins a property-list value
// in XML, which is the rest of the line. Empty, with `problem` filled in, for a line that
// cannot be split.
std::vector<Token> tokenize(std::string_view line, std::string& problem);

// A scenario is UTF-8 text; the first byte that is not is refused, escaped, with its line
// (`text` begins at line `firstLine`).
void checkUtf8(std::string_view text, const std::string& name, std::size_t firstLine = 1);

// The line as the timeline shows it: its words, quoted ones quoted again.
std::string joined(const std::vector<Token>& tokens);

class Line {
 public:
  Line(const std::string& file, std::size_t number, std::vector<Token> tokens)
      : file_(file), number_(number), tokens_(std::move(tokens)) {}

  [[noreturn]] void fail(const std::string& message) const;

  const std::string& file() const { return file_; }
  std::size_t number() const { return number_; }
  std::size_t size() const { return tokens_.size(); }
  const Token& operator[](std::size_t i) const { return tokens_[i]; }
  const std::string& word(std::size_t i) const { return tokens_[i].text; }
  const std::vector<Token>& tokens() const { return tokens_; }

  // The usage of the command the line was taken for, as its row writes it.
  void setUsage(std::string_view usage) { usage_ = usage; }
  std::string usage() const { return "usage: " + usage_; }

  double number(std::size_t i, const char* what) const;
  // A component of a vector: a number, or "nan" (any case), which the device reads as not
  // a number.
  double component(std::size_t i, const char* what) const;
  // Three components from word `from`.
  hardware::Vector3 vector(std::size_t from) const;

  // "2.5", "2.5s", "500ms", "3m", "1h", or a number and a unit as two words, to the end
  // of the line. `bounded`: at most kMaxLineSeconds.
  double duration(std::size_t from, const char* what, bool bounded = true) const;
  // One word: "0.2", "0.2s", "200ms".
  double durationWord(std::size_t i, const char* what, bool bounded = true) const;

  bool onOff(std::size_t i) const;

  // A named pose or three numbers, from word `from` up to (not including) word `end`.
  hardware::Vector3 gravity(std::size_t from, std::size_t end) const;

  plist::Value value(std::size_t i) const;

 private:
  // `number` `unit` in seconds; word `i` is the one the message names.
  double seconds(const std::string& number, const std::string& unit, std::size_t i, const char* what,
                 bool bounded) const;

  std::string file_;
  std::size_t number_;
  std::vector<Token> tokens_;
  std::string usage_;
};

}  // namespace sim
