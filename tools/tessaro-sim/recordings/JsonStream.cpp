// JSON recordings: the top level (the array, its commas) a byte at a time, each element cut
// out by JsonScan and read by simdjson's On Demand parser straight from the file's buffer,
// converting only timestamp, gravity and userAcceleration. The other fields are checked for
// their structure (strings, brackets, UTF-8) but their values are not converted. Whatever the
// fast path cannot read goes to readElementCarefully, which reads it or says what is wrong.

#include "tools/tessaro-sim/recordings/JsonElement.h"
#include "tools/tessaro-sim/recordings/JsonScan.h"
#include "tools/tessaro-sim/recordings/ReadingChecks.h"
#include "tools/tessaro-sim/recordings/Streams.h"

#include <simdjson.h>

#include <string>

namespace recordings::detail {

namespace {

static_assert(RecordingFile::kPadding >= simdjson::SIMDJSON_PADDING);

namespace od = simdjson::ondemand;

class JsonStream final : public RecordingStream {
 public:
  explicit JsonStream(std::unique_ptr<RecordingFile> file) : file_(std::move(file)), checks_(file_->path()) {}

  std::optional<hardware::TimedReading> next() override {
    if (done_) return std::nullopt;
    if (!started_) {
      started_ = true;
      skipWhitespace();
      const std::size_t line = line_;
      const int c = get();
      if (c < 0) fail(line, "empty file: expected a JSON array of readings");
      if (c == '{') fail(line, "not an array: the top level is an object; expected an array of readings");
      if (c != '[') fail(line, "not JSON: expected '[' to open an array of readings");
      skipWhitespace();
      if (peek() == ']') {
        get();
        return finish();
      }
      if (peek() < 0) fail(line_, "the array is not closed: the file ends after '['");
    } else {
      skipWhitespace();
      const std::size_t line = line_;
      const int c = get();
      if (c == ']') return finish();
      if (c < 0) fail(line, "the array is not closed: the file ends after element [" + std::to_string(index_ - 1) + "]");
      if (c != ',') fail(line, "expected ',' or ']' after element [" + std::to_string(index_ - 1) + "]");
      skipWhitespace();
      if (peek() < 0) fail(line_, "the array is not closed: the file ends after ','");
    }
    return element(index_++);
  }

  RecordingSummary summary() const override { return checks_.summary(); }

 private:
  [[noreturn]] void fail(std::size_t line, const std::string& problem, std::optional<std::size_t> element = std::nullopt) const {
    throw RecordingError(file_->path(), line, element, problem);
  }

  int peek() {
    if (position_ == file_->size() && !refill()) return -1;
    return static_cast<unsigned char>(file_->data()[position_]);
  }
  int get() {
    const int c = peek();
    if (c >= 0) ++position_;
    if (c == '\n') ++line_;
    return c;
  }
  void skipWhitespace() {
    for (int c = peek(); c == ' ' || c == '\t' || c == '\n' || c == '\r'; c = peek()) get();
  }
  // Keeps the bytes from position_ on, at the front of the buffer, and reads more after them.
  bool refill() {
    const bool more = file_->more(position_);
    position_ = 0;
    return more;
  }

  std::optional<hardware::TimedReading> finish() {
    skipWhitespace();
    if (peek() >= 0) fail(line_, "unexpected text after the array");
    checks_.finish("the array is empty");
    done_ = true;
    return std::nullopt;
  }

  std::optional<hardware::TimedReading> element(std::size_t index) {
    const std::size_t line = line_;
    const char first = file_->data()[position_];
    if (first != '{') fail(line, std::string("expected an object, found '") + first + "'", index);

    JsonScan::Outcome cut;
    for (;;) {
      const std::size_t available = file_->size() - position_;
      cut = scan_.element(file_->data() + position_, available);
      if (cut.result == JsonScan::Result::Complete) break;
      if (cut.result == JsonScan::Result::Mismatch) {
        const char bracket = file_->data()[position_ + cut.length];
        fail(line + cut.newlines, std::string("not valid JSON: unexpected '") + bracket + "'", index);
      }
      if (cut.result == JsonScan::Result::TooDeep) {
        fail(line + cut.newlines, "not valid JSON: nested deeper than " + std::to_string(JsonScan::kMaxDepth) + " levels",
             index);
      }
      if (available > kMaxElementBytes) fail(line, "larger than " + std::to_string(kMaxElementBytes) + " bytes", index);
      if (!refill()) fail(line, "the file ends inside this element", index);
    }
    if (cut.length > kMaxElementBytes) fail(line, "larger than " + std::to_string(kMaxElementBytes) + " bytes", index);

    const char* text = file_->data() + position_;
    hardware::TimedReading reading;
    if (!readFast(text, cut.length, reading)) {
      reading = readElementCarefully(std::string_view(text, cut.length), file_->path(), line, index);
    }
    position_ += cut.length;
    line_ += cut.newlines;
    checks_.accept(reading.timestamp, line, index);
    return reading;
  }

  // False when this element needs the careful reader: anything unusual, or wrong.
  bool readFast(const char* text, std::size_t length, hardware::TimedReading& reading) {
    const std::size_t room = file_->capacity() + RecordingFile::kPadding - position_;
    od::document document;
    od::object object;
    if (parser_.iterate(text, length, room).get(document) || document.get_object().get(object)) return false;
    bool timestamp = false, gravity = false, userAcceleration = false;
    for (auto field : object) {
      od::raw_json_string key;
      if (field.key().get(key)) return false;
      if (key == "timestamp") {
        if (field.value().get_double().get(reading.timestamp)) return false;
        timestamp = true;
      } else if (key == "gravity") {
        if (!vector(field.value(), reading.reading.gravity)) return false;
        gravity = true;
      } else if (key == "userAcceleration") {
        if (!vector(field.value(), reading.reading.userAcceleration)) return false;
        userAcceleration = true;
      }
    }
    // JsonScan ended the text at the bracket that closes this object: nothing follows it.
    return timestamp && gravity && userAcceleration;
  }

  static bool vector(simdjson::simdjson_result<od::value> value, hardware::Vector3& v) {
    od::object object;
    if (value.get_object().get(object)) return false;
    bool x = false, y = false, z = false;
    for (auto field : object) {
      od::raw_json_string key;
      if (field.key().get(key)) return false;
      if (key == "x") {
        if (field.value().get_double().get(v.x)) return false;
        x = true;
      } else if (key == "y") {
        if (field.value().get_double().get(v.y)) return false;
        y = true;
      } else if (key == "z") {
        if (field.value().get_double().get(v.z)) return false;
        z = true;
      }
    }
    return x && y && z;
  }

  std::unique_ptr<RecordingFile> file_;
  ReadingChecks checks_;
  JsonScan scan_;
  od::parser parser_;
  std::size_t position_ = 0;  // in the file's buffer
  std::size_t line_ = 1;      // of position_
  bool started_ = false;
  bool done_ = false;
  std::size_t index_ = 0;
};

}  // namespace

std::unique_ptr<RecordingStream> jsonStream(std::unique_ptr<RecordingFile> file) {
  return std::make_unique<JsonStream>(std::move(file));
}

}  // namespace recordings::detail
