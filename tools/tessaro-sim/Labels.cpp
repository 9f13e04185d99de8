#include "tools/tessaro-sim/Labels.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <cstring>

namespace sim {

namespace {

std::string shortened(std::string_view text, std::size_t limit = 60) {
  return text.size() > limit ? std::string(text.substr(0, limit)) + "..." : std::string(text);
}

std::string_view trimmed(std::string_view text) {
  while (!text.empty() && std::isspace(static_cast<unsigned char>(text.front()))) text.remove_prefix(1);
  while (!text.empty() && std::isspace(static_cast<unsigned char>(text.back()))) text.remove_suffix(1);
  return text;
}

std::string lowercase(std::string_view text) {
  std::string lower(text);
  std::transform(lower.begin(), lower.end(), lower.begin(), [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
  return lower;
}

// A line's cells, a quoted cell's doubled quotes made single. Nullopt with `problem` filled
// in for a quote that does not close or text after a closing quote.
std::optional<std::vector<std::string>> splitLine(std::string_view line, std::string& problem) {
  std::vector<std::string> cells;
  std::size_t i = 0;
  for (;;) {
    while (i < line.size() && (line[i] == ' ' || line[i] == '\t')) ++i;
    std::string cell;
    if (i < line.size() && line[i] == '"') {
      for (++i;; ++i) {
        if (i >= line.size()) {
          problem = "a quoted cell does not end";
          return std::nullopt;
        }
        if (line[i] != '"') {
          cell += line[i];
        } else if (i + 1 < line.size() && line[i + 1] == '"') {
          cell += '"';
          ++i;
        } else {
          ++i;
          break;
        }
      }
      while (i < line.size() && (line[i] == ' ' || line[i] == '\t')) ++i;
      if (i < line.size() && line[i] != ',') {
        problem = "text after a quoted cell";
        return std::nullopt;
      }
    } else {
      const std::size_t comma = std::min(line.find(',', i), line.size());
      cell = std::string(trimmed(line.substr(i, comma - i)));
      i = comma;
    }
    cells.push_back(std::move(cell));
    if (i >= line.size()) return cells;
    ++i;  // the comma
  }
}

std::optional<Expectation> parseExpect(std::string_view word) {
  if (word == "wake") return Expectation{true, std::nullopt};
  if (word == "no-wake") return Expectation{false, std::nullopt};
  return std::nullopt;
}

// "base/name" as one file, however either is spelled; the text itself when it cannot be
// resolved (a name that leads nowhere matches only itself).
std::filesystem::path samePlace(const std::filesystem::path& base, const std::filesystem::path& name) {
  std::error_code error;
  const std::filesystem::path joined = name.is_absolute() || base.empty() ? name : base / name;
  auto resolved = std::filesystem::weakly_canonical(joined, error);
  return error ? joined.lexically_normal() : resolved;
}

}  // namespace

std::vector<Label> parseLabels(std::string_view text, const std::string& name) {
  std::vector<Label> labels;
  std::size_t lineNumber = 0;
  bool sawLine = false;
  while (!text.empty()) {
    const std::size_t newline = std::min(text.find('\n'), text.size());
    std::string_view line = text.substr(0, newline);
    text.remove_prefix(std::min(newline + 1, text.size()));
    ++lineNumber;
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    const std::string where = name + ":" + std::to_string(lineNumber);
    if (trimmed(line).empty() || trimmed(line).front() == '#') continue;
    std::string problem;
    const auto cells = splitLine(line, problem);
    if (!cells) throw LabelError(where + ": " + problem);
    const bool first = !sawLine;
    sawLine = true;
    if (first && cells->size() >= 2 && lowercase((*cells)[0]) == "recording" && lowercase((*cells)[1]) == "expect") continue;
    if (cells->size() < 2 || cells->size() > 3) {
      throw LabelError(where + ": expected recording,expect[,by]; got " + std::to_string(cells->size()) + " cell(s)");
    }
    Label label;
    label.recording = (*cells)[0];
    label.where = where;
    if (label.recording.empty()) throw LabelError(where + ": the recording is empty");
    const auto expect = parseExpect((*cells)[1]);
    if (!expect) throw LabelError(where + ": expect is wake or no-wake, not \"" + shortened((*cells)[1]) + "\"");
    label.expect = *expect;
    if (cells->size() == 3 && !(*cells)[2].empty()) {
      const std::string& by = (*cells)[2];
      double seconds = 0;
      const auto [end, error] = std::from_chars(by.data(), by.data() + by.size(), seconds);
      if (error != std::errc() || end != by.data() + by.size() || !std::isfinite(seconds) || seconds < 0) {
        throw LabelError(where + ": by is a device time in seconds (0 or more), not \"" + shortened(by) + "\"");
      }
      if (!label.expect.wake) throw LabelError(where + ": by is the time a wake must come by; a no-wake label has none");
      label.expect.by = seconds;
    }
    for (const Label& earlier : labels) {
      if (earlier.recording == label.recording) {
        throw LabelError(where + ": " + shortened(label.recording) + " is labelled twice (first on " + earlier.where + ")");
      }
    }
    labels.push_back(std::move(label));
  }
  return labels;
}

std::vector<Label> readLabelsFile(const std::filesystem::path& file) {
  const std::string name = file.string();
  // O_NONBLOCK: opening a FIFO without a writer would otherwise wait for ever.
  const int fd = ::open(file.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
  if (fd < 0) throw LabelError(name + ": cannot open: " + std::strerror(errno));
  struct stat status {};
  if (::fstat(fd, &status) != 0 || !S_ISREG(status.st_mode)) {
    ::close(fd);
    throw LabelError(name + ": not a regular file");
  }
  if (static_cast<unsigned long long>(status.st_size) > kMaxLabelsBytes) {
    ::close(fd);
    throw LabelError(name + ": larger than " + std::to_string(kMaxLabelsBytes >> 20) + " MB: not a labels file");
  }
  std::string text;
  char buffer[1 << 16];
  for (;;) {
    const ssize_t n = ::read(fd, buffer, sizeof buffer);
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) {
      const std::string problem = std::strerror(errno);
      ::close(fd);
      throw LabelError(name + ": cannot read: " + problem);
    }
    if (n == 0) break;
    text.append(buffer, static_cast<std::size_t>(n));
    // It may have grown since it was looked at.
    if (text.size() > kMaxLabelsBytes) {
      ::close(fd);
      throw LabelError(name + ": larger than " + std::to_string(kMaxLabelsBytes >> 20) + " MB: not a labels file");
    }
  }
  ::close(fd);
  return parseLabels(text, name);
}

std::optional<Label> labelWord(const std::string& word) {
  const auto colon = word.rfind(':');
  if (colon == std::string::npos || colon == 0) return std::nullopt;
  const auto expect = parseExpect(std::string_view(word).substr(colon + 1));
  if (!expect) return std::nullopt;
  return Label{word.substr(0, colon), *expect, word};
}

std::string describeExpectation(const Expectation& expect) {
  if (!expect.wake) return "no-wake";
  if (!expect.by) return "wake";
  char text[48];
  std::snprintf(text, sizeof text, "wake by %g s", *expect.by);
  return text;
}

std::map<std::string, Expectation> matchLabels(const std::vector<std::string>& given, const std::vector<Label>& fromFile,
                                               const std::filesystem::path& base, const std::vector<Label>& fromWords) {
  // The same recording given twice is one recording.
  std::vector<std::string> recordings;
  for (const std::string& recording : given) {
    if (std::find(recordings.begin(), recordings.end(), recording) == recordings.end()) recordings.push_back(recording);
  }
  std::vector<std::filesystem::path> places;
  for (const std::string& recording : recordings) places.push_back(samePlace({}, recording));

  auto recordingOf = [&](const Label& label, const std::filesystem::path& from) -> const std::string& {
    std::vector<std::size_t> found;
    const std::filesystem::path place = samePlace(from, label.recording);
    for (std::size_t i = 0; i < recordings.size(); ++i) {
      if (recordings[i] == label.recording || places[i] == place) found.push_back(i);
    }
    // By its file name alone, when the label gives no directory.
    if (found.empty() && label.recording.find('/') == std::string::npos) {
      for (std::size_t i = 0; i < recordings.size(); ++i) {
        if (std::filesystem::path(recordings[i]).filename() == label.recording) found.push_back(i);
      }
    }
    if (found.empty()) throw LabelError(label.where + ": " + shortened(label.recording) + " names no given recording");
    if (found.size() > 1) {
      throw LabelError(label.where + ": " + shortened(label.recording) + " names " + std::to_string(found.size()) +
                       " given recordings (" + recordings[found[0]] + ", " + recordings[found[1]] +
                       (found.size() > 2 ? ", ..." : "") + "): give its path");
    }
    return recordings[found.front()];
  };

  std::map<std::string, Expectation> expectations;
  auto assign = [&](const std::vector<Label>& labels, const std::filesystem::path& from, std::map<std::string, std::string>& where) {
    for (const Label& label : labels) {
      const std::string& recording = recordingOf(label, from);
      if (auto earlier = where.find(recording); earlier != where.end()) {
        throw LabelError(label.where + ": " + recording + " is labelled twice (also by " + earlier->second + ")");
      }
      where.emplace(recording, label.where);
      expectations.insert_or_assign(recording, label.expect);
    }
  };
  std::map<std::string, std::string> inFile, inWords;
  assign(fromFile, base, inFile);
  assign(fromWords, {}, inWords);

  std::string missing;
  std::size_t count = 0;
  for (const std::string& recording : recordings) {
    if (expectations.contains(recording)) continue;
    if (count++ < 3) missing += recording + ", ";
  }
  if (count > 0) {
    missing.resize(missing.size() - 2);
    if (count > 3) missing += " and " + std::to_string(count - 3) + " more";
    throw LabelError("no label for " + missing + ": label every recording, in the labels file or as RECORDING:wake or RECORDING:no-wake");
  }
  return expectations;
}

}  // namespace sim
