#include "tools/tessaro-sim/recordings/Recording.h"

#include <nlohmann/json.hpp>

#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <cctype>
#include <cerrno>
#include <charconv>
#include <cmath>
#include <cstring>
#include <string_view>
#include <vector>

namespace recordings {

namespace {

// One element (JSON) or line (CSV) may not exceed this: a file without the expected
// structure must not make the reader swallow it whole.
constexpr std::size_t kMaxElementBytes = 1u << 20;
constexpr std::size_t kMaxLineBytes = 64u << 10;

std::string describeLocation(const std::filesystem::path& file, std::size_t line, std::optional<std::size_t> element) {
  std::string text = file.string();
  if (line > 0) text += ":" + std::to_string(line);
  text += ": ";
  if (element) text += "element [" + std::to_string(*element) + "]: ";
  return text;
}

std::string shortened(std::string text, std::size_t limit = 40) {
  if (text.size() > limit) text = text.substr(0, limit) + "...";
  return text;
}

// Bytes of a file with the line they are on. Reads with plain read(2) into a fixed
// buffer: a pipe gives what it has so far instead of blocking for a full buffer.
class ByteSource {
 public:
  explicit ByteSource(std::filesystem::path file) : file_(std::move(file)) {
    fd_ = ::open(file_.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd_ < 0) throw RecordingError(file_, 0, std::nullopt, std::string("cannot open: ") + std::strerror(errno));
  }
  ByteSource(const ByteSource&) = delete;
  ByteSource& operator=(const ByteSource&) = delete;
  ~ByteSource() { ::close(fd_); }

  const std::filesystem::path& file() const { return file_; }
  std::size_t line() const { return line_; }

  // The next byte, or -1 at the end.
  int peek() {
    if (position_ == size_ && !refill()) return -1;
    return static_cast<unsigned char>(buffer_[position_]);
  }
  int get() {
    const int c = peek();
    if (c < 0) return c;
    ++position_;
    if (c == '\n') ++line_;
    return c;
  }
  void skipWhitespace() {
    for (int c = peek(); c == ' ' || c == '\t' || c == '\n' || c == '\r'; c = peek()) get();
  }

 private:
  bool refill() {
    if (ended_) return false;
    for (;;) {
      const ssize_t n = ::read(fd_, buffer_.data(), buffer_.size());
      if (n > 0) {
        position_ = 0;
        size_ = static_cast<std::size_t>(n);
        return true;
      }
      if (n < 0 && errno == EINTR) continue;
      if (n < 0) throw RecordingError(file_, line_, std::nullopt, std::string("cannot read: ") + std::strerror(errno));
      ended_ = true;
      return false;
    }
  }

  std::filesystem::path file_;
  int fd_ = -1;
  std::array<char, 64 * 1024> buffer_{};
  std::size_t position_ = 0;
  std::size_t size_ = 0;
  bool ended_ = false;
  std::size_t line_ = 1;
};

class Stream : public hardware::ReadingStream {
 protected:
  explicit Stream(std::unique_ptr<ByteSource> source) : source_(std::move(source)) {}

  [[noreturn]] void fail(std::size_t line, const std::string& problem, std::optional<std::size_t> element = std::nullopt) const {
    throw RecordingError(source_->file(), line, element, problem);
  }

  // Equal timestamps are fine: a recorder may stamp two readings alike.
  void checkOrder(double timestamp, std::size_t line, std::optional<std::size_t> element) {
    if (previous_ && timestamp < *previous_) {
      fail(line, "time runs backwards: timestamp " + number(timestamp) + " comes after " + number(*previous_), element);
    }
    previous_ = timestamp;
  }

  static std::string number(double value) {
    nlohmann::json j = value;
    return j.dump();
  }

  std::unique_ptr<ByteSource> source_;

 private:
  std::optional<double> previous_;
};

class JsonStream final : public Stream {
 public:
  explicit JsonStream(std::unique_ptr<ByteSource> source) : Stream(std::move(source)) {}

  std::optional<hardware::TimedReading> next() override {
    if (done_) return std::nullopt;
    ByteSource& in = *source_;
    if (!started_) {
      started_ = true;
      in.skipWhitespace();
      const std::size_t line = in.line();
      const int c = in.get();
      if (c < 0) fail(line, "empty file: expected a JSON array of readings");
      if (c == '{') fail(line, "not an array: the top level is an object; expected an array of readings");
      if (c != '[') fail(line, "not JSON: expected '[' to open an array of readings");
      in.skipWhitespace();
      if (in.peek() == ']') {
        in.get();
        return finish();
      }
    } else {
      in.skipWhitespace();
      const std::size_t line = in.line();
      const int c = in.get();
      if (c == ']') return finish();
      if (c < 0) fail(line, "the array is not closed: the file ends after element [" + std::to_string(index_ - 1) + "]");
      if (c != ',') fail(line, "expected ',' or ']' after element [" + std::to_string(index_ - 1) + "]");
      in.skipWhitespace();
    }
    return element(index_++);
  }

 private:
  std::optional<hardware::TimedReading> finish() {
    source_->skipWhitespace();
    if (source_->peek() >= 0) fail(source_->line(), "unexpected text after the array");
    done_ = true;
    return std::nullopt;
  }

  // Cuts one object out of the input, tracking strings and nesting, and parses just it.
  std::optional<hardware::TimedReading> element(std::size_t index) {
    ByteSource& in = *source_;
    const std::size_t line = in.line();
    if (in.peek() < 0) fail(line, "the array is not closed: the file ends after ','");
    if (in.peek() != '{') fail(line, std::string("expected an object, found '") + static_cast<char>(in.peek()) + "'", index);

    text_.clear();
    closers_.clear();
    bool inString = false;
    bool escaped = false;
    do {
      const std::size_t here = in.line();
      const int c = in.get();
      if (c < 0) fail(line, "the file ends inside this element", index);
      if (text_.size() == kMaxElementBytes) fail(line, "larger than " + std::to_string(kMaxElementBytes) + " bytes", index);
      text_.push_back(static_cast<char>(c));
      if (inString) {
        if (escaped) escaped = false;
        else if (c == '\\') escaped = true;
        else if (c == '"') inString = false;
      } else if (c == '"') {
        inString = true;
      } else if (c == '{') {
        closers_.push_back('}');
      } else if (c == '[') {
        closers_.push_back(']');
      } else if (c == '}' || c == ']') {
        if (closers_.back() != c) fail(here, std::string("not valid JSON: unexpected '") + static_cast<char>(c) + "'", index);
        closers_.pop_back();
      }
    } while (!closers_.empty());

    nlohmann::json object;
    try {
      object = nlohmann::json::parse(text_);
    } catch (const nlohmann::json::out_of_range&) {
      fail(line, "a number is out of range (not finite)", index);
    } catch (const nlohmann::json::parse_error& error) {
      const std::size_t before = std::min<std::size_t>(error.byte > 0 ? error.byte - 1 : 0, text_.size());
      const auto newlines = std::count(text_.begin(), text_.begin() + static_cast<std::ptrdiff_t>(before), '\n');
      fail(line + static_cast<std::size_t>(newlines), "not valid JSON: " + parseProblem(error.what()), index);
    }

    hardware::TimedReading reading;
    reading.timestamp = field(object, "timestamp", "timestamp", line, index);
    reading.reading.gravity = vector(object, "gravity", line, index);
    reading.reading.userAcceleration = vector(object, "userAcceleration", line, index);
    checkOrder(reading.timestamp, line, index);
    return reading;
  }

  // nlohmann's message, less its tag and its position inside the element's own text.
  static std::string parseProblem(std::string_view message) {
    const auto column = message.find("column ");
    const auto colon = column == std::string_view::npos ? message.find(": ") : message.find(": ", column);
    return std::string(colon == std::string_view::npos ? message : message.substr(colon + 2));
  }

  double field(const nlohmann::json& object, const char* key, const std::string& name, std::size_t line,
               std::size_t index) const {
    const auto found = object.find(key);
    if (found == object.end()) fail(line, "missing field \"" + name + "\"", index);
    if (!found->is_number()) fail(line, "\"" + name + "\" is not a number: " + shortened(found->dump()), index);
    const double value = found->get<double>();
    if (!std::isfinite(value)) fail(line, "\"" + name + "\" is not finite", index);
    return value;
  }

  hardware::Vector3 vector(const nlohmann::json& object, const char* key, std::size_t line, std::size_t index) const {
    const auto found = object.find(key);
    if (found == object.end()) fail(line, std::string("missing field \"") + key + "\"", index);
    if (!found->is_object()) fail(line, std::string("\"") + key + "\" is not an object with x, y and z", index);
    const std::string prefix = std::string(key) + ".";
    return {field(*found, "x", prefix + "x", line, index), field(*found, "y", prefix + "y", line, index),
            field(*found, "z", prefix + "z", line, index)};
  }

  bool started_ = false;
  bool done_ = false;
  std::size_t index_ = 0;
  std::string text_;           // the current element, reused
  std::vector<char> closers_;  // brackets open in it
};

class CsvStream final : public Stream {
 public:
  explicit CsvStream(std::unique_ptr<ByteSource> source) : Stream(std::move(source)) {}

  std::optional<hardware::TimedReading> next() override {
    for (;;) {
      std::size_t lineNumber = 0;
      if (!readLine(lineNumber)) return std::nullopt;
      if (std::all_of(line_.begin(), line_.end(), [](char c) { return std::isspace(static_cast<unsigned char>(c)); })) {
        continue;
      }
      const bool first = !sawFirstLine_;
      sawFirstLine_ = true;
      split();
      // A first line of seven numbers is a reading: skipping it as a header would lose it.
      if (first && !allNumbers()) continue;
      return reading(lineNumber);
    }
  }

 private:
  static constexpr std::array<const char*, 7> kColumns = {
      "timestamp",           "gravity x",           "gravity y",          "gravity z",
      "user acceleration x", "user acceleration y", "user acceleration z"};

  bool readLine(std::size_t& number) {
    ByteSource& in = *source_;
    if (in.peek() < 0) return false;
    number = in.line();
    line_.clear();
    for (int c = in.get(); c >= 0 && c != '\n'; c = in.get()) {
      if (line_.size() == kMaxLineBytes) fail(number, "line longer than " + std::to_string(kMaxLineBytes) + " bytes");
      line_.push_back(static_cast<char>(c));
    }
    if (!line_.empty() && line_.back() == '\r') line_.pop_back();
    return true;
  }

  void split() {
    cells_.clear();
    std::string_view rest = line_;
    for (;;) {
      const auto comma = rest.find(',');
      cells_.push_back(trimmed(rest.substr(0, comma)));
      if (comma == std::string_view::npos) break;
      rest.remove_prefix(comma + 1);
    }
  }

  static std::string_view trimmed(std::string_view cell) {
    while (!cell.empty() && std::isspace(static_cast<unsigned char>(cell.front()))) cell.remove_prefix(1);
    while (!cell.empty() && std::isspace(static_cast<unsigned char>(cell.back()))) cell.remove_suffix(1);
    return cell;
  }

  enum class Parsed { Ok, Empty, NotANumber, NotFinite };

  static Parsed parse(std::string_view cell, double& value) {
    if (cell.empty()) return Parsed::Empty;
    const auto [end, error] = std::from_chars(cell.data(), cell.data() + cell.size(), value);
    if (error == std::errc::result_out_of_range && end == cell.data() + cell.size()) return Parsed::NotFinite;
    if (error != std::errc() || end != cell.data() + cell.size()) return Parsed::NotANumber;
    return std::isfinite(value) ? Parsed::Ok : Parsed::NotFinite;
  }

  bool allNumbers() const {
    double ignored = 0;
    return cells_.size() == kColumns.size() &&
           std::all_of(cells_.begin(), cells_.end(), [&](std::string_view cell) { return parse(cell, ignored) == Parsed::Ok; });
  }

  hardware::TimedReading reading(std::size_t line) {
    if (cells_.size() != kColumns.size()) {
      fail(line, "expected 7 columns (timestamp, gravity x, y, z, user acceleration x, y, z), got " +
                     std::to_string(cells_.size()));
    }
    std::array<double, 7> values{};
    for (std::size_t i = 0; i < values.size(); ++i) {
      const std::string column = "column " + std::to_string(i + 1) + " (" + kColumns[i] + ")";
      switch (parse(cells_[i], values[i])) {
        case Parsed::Ok: break;
        case Parsed::Empty: fail(line, column + " is empty");
        case Parsed::NotANumber: fail(line, column + " is not a number: \"" + shortened(std::string(cells_[i])) + "\"");
        case Parsed::NotFinite: fail(line, column + " is not finite: \"" + shortened(std::string(cells_[i])) + "\"");
      }
    }
    checkOrder(values[0], line, std::nullopt);
    hardware::TimedReading reading;
    reading.timestamp = values[0];
    reading.reading.gravity = {values[1], values[2], values[3]};
    reading.reading.userAcceleration = {values[4], values[5], values[6]};
    return reading;
  }

  bool sawFirstLine_ = false;
  std::string line_;
  std::vector<std::string_view> cells_;  // into line_
};

std::string lowercase(std::string text) {
  std::transform(text.begin(), text.end(), text.begin(), [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
  return text;
}

}  // namespace

RecordingError::RecordingError(std::filesystem::path file, std::size_t line, std::optional<std::size_t> element,
                               const std::string& problem)
    : std::runtime_error(describeLocation(file, line, element) + problem),
      file_(std::move(file)),
      line_(line),
      element_(element),
      problem_(problem) {}

std::unique_ptr<hardware::ReadingStream> openRecording(const std::filesystem::path& file) {
  auto source = std::make_unique<ByteSource>(file);
  const std::string extension = lowercase(file.extension().string());
  bool json = extension == ".json";
  if (extension != ".json" && extension != ".csv") {
    source->skipWhitespace();
    json = source->peek() == '[' || source->peek() == '{';
  }
  if (json) return std::make_unique<JsonStream>(std::move(source));
  return std::make_unique<CsvStream>(std::move(source));
}

RecordingSummary scanRecording(const std::filesystem::path& file) {
  RecordingSummary summary;
  auto stream = openRecording(file);
  while (auto reading = stream->next()) {
    if (summary.readings++ == 0) summary.firstTimestamp = reading->timestamp;
    summary.lastTimestamp = reading->timestamp;
  }
  return summary;
}

}  // namespace recordings
