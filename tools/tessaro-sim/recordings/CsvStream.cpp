// CSV recordings: a line at a time straight from the file's buffer (memchr for its end), its
// numbers read in place by std::from_chars; nothing is allocated per line. A line that is not
// the usual seven numbers is split into cells to say what is wrong with it. A component may
// be "nan": a reading that is not a number there, which the classification never counts.

#include "tools/tessaro-sim/recordings/ReadingChecks.h"
#include "tools/tessaro-sim/recordings/Streams.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <cmath>
#include <cstring>
#include <string>
#include <string_view>

namespace recordings::detail {

namespace {

constexpr std::array<const char*, 7> kColumns = {"timestamp",           "gravity x",           "gravity y",
                                                 "gravity z",           "user acceleration x", "user acceleration y",
                                                 "user acceleration z"};

bool isSpace(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == '\v' || c == '\f'; }

std::string_view trimmed(std::string_view cell) {
  while (!cell.empty() && isSpace(cell.front())) cell.remove_prefix(1);
  while (!cell.empty() && isSpace(cell.back())) cell.remove_suffix(1);
  return cell;
}

std::string shortened(std::string_view text, std::size_t limit = 40) {
  return text.size() > limit ? std::string(text.substr(0, limit)) + "..." : std::string(text);
}

enum class Parsed { Ok, Empty, NotANumber, NotFinite };

Parsed parse(std::string_view cell, double& value) {
  if (cell.empty()) return Parsed::Empty;
  const auto [end, error] = std::from_chars(cell.data(), cell.data() + cell.size(), value);
  if (error == std::errc::result_out_of_range && end == cell.data() + cell.size()) return Parsed::NotFinite;
  if (error != std::errc() || end != cell.data() + cell.size()) return Parsed::NotANumber;
  return std::isfinite(value) ? Parsed::Ok : Parsed::NotFinite;
}

// A line's cells: the first seven, and how many there are in all.
struct Cells {
  std::array<std::string_view, 7> cells;
  std::size_t count = 0;
};

Cells split(std::string_view line) {
  Cells split;
  for (;;) {
    const auto comma = line.find(',');
    if (split.count < split.cells.size()) split.cells[split.count] = trimmed(line.substr(0, comma));
    ++split.count;
    if (comma == std::string_view::npos) return split;
    line.remove_prefix(comma + 1);
  }
}

class CsvStream final : public RecordingStream {
 public:
  explicit CsvStream(std::unique_ptr<RecordingFile> file) : file_(std::move(file)), checks_(file_->path()) {}

  std::optional<hardware::TimedReading> next() override {
    std::string_view line;
    while (nextLine(line)) {
      const std::size_t number = line_++;
      std::array<double, 7> values;
      if (readFast(line, values)) {
        sawFirstLine_ = true;
        return reading(values, number);
      }
      if (std::all_of(line.begin(), line.end(), isSpace)) continue;
      // A first line of seven numbers is a reading: only another first line is a header.
      if (!sawFirstLine_) {
        sawFirstLine_ = true;
        header_ = number;
        continue;
      }
      return reading(readCarefully(split(line), number), number);
    }
    if (header_ > 0) checks_.finish("only a header line, line " + std::to_string(header_));
    checks_.finish(sawAnyLine_ ? "only blank lines" : "the file is empty");
    return std::nullopt;
  }

  RecordingSummary summary() const override { return checks_.summary(); }

 private:
  [[noreturn]] void fail(std::size_t line, const std::string& problem) const {
    throw RecordingError(file_->path(), line, std::nullopt, problem);
  }

  // The next line without its "\n" or "\r\n", valid until the next call.
  bool nextLine(std::string_view& line) {
    for (;;) {
      const char* start = file_->data() + position_;
      const std::size_t available = file_->size() - position_;
      const auto* newline = static_cast<const char*>(std::memchr(start, '\n', std::min(available, kMaxLineBytes + 1)));
      if (newline != nullptr) {
        line = std::string_view(start, static_cast<std::size_t>(newline - start));
        position_ += line.size() + 1;
        break;
      }
      if (available > kMaxLineBytes) fail(line_, "line longer than " + std::to_string(kMaxLineBytes) + " bytes");
      const bool more = file_->more(position_);
      position_ = 0;
      if (more) continue;
      if (available == 0) return false;
      line = std::string_view(file_->data(), available);  // the last line, without a newline
      position_ = available;
      break;
    }
    sawAnyLine_ = true;
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    return true;
  }

  // The usual line: seven numbers between commas, spaces around them allowed, the timestamp
  // finite and the components finite or not a number. False
  // sends the line to readCarefully, which says what is wrong with it.
  static bool readFast(std::string_view line, std::array<double, 7>& values) {
    const char* p = line.data();
    const char* const end = p + line.size();
    for (std::size_t i = 0; i < values.size(); ++i) {
      while (p != end && isSpace(*p)) ++p;
      const auto [next, error] = std::from_chars(p, end, values[i]);
      if (error != std::errc() || (!std::isfinite(values[i]) && !(i > 0 && std::isnan(values[i])))) return false;
      p = next;
      const bool last = i + 1 == values.size();
      // Most lines have no spaces: a comma (or the end) straight after the number.
      if (p != end && *p == ',' && !last) {
        ++p;
        continue;
      }
      while (p != end && isSpace(*p)) ++p;
      if (last) break;
      if (p == end || *p != ',') return false;
      ++p;
    }
    return p == end;
  }

  std::array<double, 7> readCarefully(const Cells& cells, std::size_t line) const {
    if (cells.count != kColumns.size()) {
      fail(line, "expected 7 columns (timestamp, gravity x, y, z, user acceleration x, y, z), got " +
                     std::to_string(cells.count));
    }
    std::array<double, 7> values{};
    for (std::size_t i = 0; i < values.size(); ++i) {
      const Parsed parsed = parse(cells.cells[i], values[i]);
      if (parsed == Parsed::Ok) continue;
      // A component that is not a number is a reading all the same (the classification never
      // counts it); a timestamp must be a number, and no component is infinite.
      if (parsed == Parsed::NotFinite && i > 0 && std::isnan(values[i])) continue;
      const std::string column = "column " + std::to_string(i + 1) + " (" + kColumns[i] + ")";
      if (parsed == Parsed::Empty) fail(line, column + " is empty");
      if (parsed == Parsed::NotANumber) fail(line, column + " is not a number: \"" + shortened(cells.cells[i]) + "\"");
      fail(line, column + " is not finite: \"" + shortened(cells.cells[i]) + "\"");
    }
    return values;
  }

  hardware::TimedReading reading(const std::array<double, 7>& values, std::size_t line) {
    checks_.accept(values[0], line, std::nullopt);
    hardware::TimedReading reading;
    reading.timestamp = values[0];
    reading.reading.gravity = {values[1], values[2], values[3]};
    reading.reading.userAcceleration = {values[4], values[5], values[6]};
    return reading;
  }

  std::unique_ptr<RecordingFile> file_;
  ReadingChecks checks_;
  std::size_t position_ = 0;  // in the file's buffer
  std::size_t line_ = 1;      // the next line's number
  bool sawAnyLine_ = false;
  bool sawFirstLine_ = false;  // a line that is not blank
  std::size_t header_ = 0;     // its number when it was taken for a header
};

}  // namespace

std::unique_ptr<RecordingStream> csvStream(std::unique_ptr<RecordingFile> file) {
  return std::make_unique<CsvStream>(std::move(file));
}

}  // namespace recordings::detail
