#pragma once
// What a sweep's recordings should have done, so that its table can say which settings got
// them right: a recording labelled `wake` should be woken by motion (by a device time, when
// one is given), one labelled `no-wake` should stay dark. Time-out lightings are not motion
// wakes, so they count neither way.
//
// Labels come from a CSV file (`--labels FILE`) of "recording,expect[,by]" lines: `expect`
// is `wake` or `no-wake`, `by` a device time in seconds (only with `wake`). A first line
// "recording,expect,by" is a header; blank lines and lines starting with '#' are skipped; a
// cell may be quoted as in any CSV ("a,b.json"). Or from the command line, one a recording:
// "RECORDING:wake", "RECORDING:no-wake".
//
// Every fault is a LabelError naming the file and line (or the word): a file that is not a
// regular file or is larger than kMaxLabelsBytes, a line that does not read, a recording
// labelled twice in the file, a label naming no given recording (or more than one), and a
// given recording with no label.

#include <cstddef>
#include <filesystem>
#include <map>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

namespace sim {

class LabelError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

inline constexpr std::size_t kMaxLabelsBytes = 16u << 20;

struct Expectation {
  bool wake = true;
  std::optional<double> by;  // device seconds; only with wake
};

struct Label {
  std::string recording;  // as written
  Expectation expect;
  std::string where;      // "labels.csv:3", or the command-line word
};

// The labels of a file's text; `name` is the file's, for messages.
std::vector<Label> parseLabels(std::string_view text, const std::string& name);
std::vector<Label> readLabelsFile(const std::filesystem::path& file);

// "RECORDING:wake" or "RECORDING:no-wake" as a label; nullopt for any other word.
std::optional<Label> labelWord(const std::string& word);

// "wake", "wake by 4.5 s", "no-wake".
std::string describeExpectation(const Expectation& expect);

// The expectation of each recording, by the recording as given. A label names a recording
// by the same text, by a path that leads to the same file (from the labels file's
// directory, `base`, or from here), or by its file name alone when that is unambiguous.
// Command-line labels override the file's.
std::map<std::string, Expectation> matchLabels(const std::vector<std::string>& recordings, const std::vector<Label>& fromFile,
                                               const std::filesystem::path& base, const std::vector<Label>& fromWords);

}  // namespace sim
