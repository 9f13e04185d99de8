#include "tools/tessaro-sim/recordings/Recording.h"

#include "tools/tessaro-sim/recordings/LoadedRecording.h"
#include "tools/tessaro-sim/recordings/RecordingFile.h"
#include "tools/tessaro-sim/recordings/Streams.h"

#include <algorithm>
#include <cctype>

namespace recordings {

namespace {

std::string describeLocation(const std::filesystem::path& file, std::size_t line, std::optional<std::size_t> element) {
  std::string text = file.string();
  if (line > 0) text += ":" + std::to_string(line);
  text += ": ";
  if (element) text += "element [" + std::to_string(*element) + "]: ";
  return text;
}

std::string lowercase(std::string text) {
  std::transform(text.begin(), text.end(), text.begin(), [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
  return text;
}

// Another name's form, by its first non-blank character: JSON for '[' or '{'.
bool looksLikeJson(detail::RecordingFile& file) {
  std::size_t looked = 0;
  for (;;) {
    for (; looked < file.size(); ++looked) {
      const char c = file.data()[looked];
      if (c != ' ' && c != '\t' && c != '\n' && c != '\r') return c == '[' || c == '{';
    }
    if (!file.more(0)) return false;
  }
}

class LoadedStream final : public RecordingStream {
 public:
  explicit LoadedStream(std::shared_ptr<const LoadedRecording> recording) : recording_(std::move(recording)) {}

  std::optional<hardware::TimedReading> next() override {
    if (next_ == recording_->readings.size()) return std::nullopt;
    const hardware::TimedReading& reading = recording_->readings[next_++];
    if (next_ == 1) summary_.firstTimestamp = reading.timestamp;
    summary_.lastTimestamp = reading.timestamp;
    summary_.readings = static_cast<long long>(next_);
    return reading;
  }

  RecordingSummary summary() const override { return summary_; }

 private:
  std::shared_ptr<const LoadedRecording> recording_;
  std::size_t next_ = 0;
  RecordingSummary summary_;
};

}  // namespace

RecordingError::RecordingError(std::filesystem::path file, std::size_t line, std::optional<std::size_t> element,
                               const std::string& problem)
    : std::runtime_error(describeLocation(file, line, element) + problem),
      file_(std::move(file)),
      line_(line),
      element_(element),
      problem_(problem) {}

std::unique_ptr<RecordingStream> openRecording(const std::filesystem::path& file) {
  auto source = std::make_unique<detail::RecordingFile>(file, detail::kBufferBytes);
  const std::string extension = lowercase(file.extension().string());
  const bool json = extension == ".json" || (extension != ".csv" && looksLikeJson(*source));
  return json ? detail::jsonStream(std::move(source)) : detail::csvStream(std::move(source));
}

RecordingSummary scanRecording(const std::filesystem::path& file) {
  auto stream = openRecording(file);
  while (stream->next()) {
  }
  return stream->summary();
}

LoadedRecording loadRecording(const std::filesystem::path& file, long long limit) {
  LoadedRecording loaded;
  loaded.file = file;
  auto stream = openRecording(file);
  while (auto reading = stream->next()) {
    if (static_cast<long long>(loaded.readings.size()) >= limit) {
      throw RecordingError(file, 0, std::nullopt,
                           "more than " + std::to_string(limit) +
                               " readings: too many to hold in memory; replay it from the file");
    }
    loaded.readings.push_back(*reading);
  }
  loaded.summary = stream->summary();
  return loaded;
}

std::unique_ptr<RecordingStream> streamOf(std::shared_ptr<const LoadedRecording> recording) {
  return std::make_unique<LoadedStream>(std::move(recording));
}

}  // namespace recordings
