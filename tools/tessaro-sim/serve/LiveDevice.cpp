#include "tools/tessaro-sim/serve/LiveDevice.h"

#include "platform/hardware/MotionWorld.h"
#include "tools/tessaro-sim/Scenario.h"
#include "tools/tessaro-sim/commands/CommandTable.h"
#include "tools/tessaro-sim/serve/PageFiles.h"
#include "tools/tessaro-sim/serve/WebState.h"

#include <algorithm>
#include <chrono>
#include <fstream>
#include <iostream>

namespace sim::serve {

namespace {

using Clock = std::chrono::steady_clock;

// How often the device's thread looks at its clock and its screen, at most.
constexpr std::chrono::milliseconds kTick{20};
// A motion reading for the page's plot at most this often, in wall seconds.
constexpr double kMotionEvery = 1.0 / 30;
// The longest step the clock takes at once, in wall seconds: a thread held up (a long
// command) does not make the device jump ahead.
constexpr double kLongestStep = 0.25;

// An uploaded file's name as the saved scenario names it: its last component, of letters,
// digits, '.', '_' and '-' only.
std::string safeName(const std::string& name) {
  std::string base = name.substr(name.find_last_of("/\\") + 1);
  for (char& c : base) {
    if (!plainNameCharacter(c)) c = '_';
  }
  if (base.size() > 100) base.resize(100);
  if (base.empty() || base.front() == '.') base.insert(0, "upload");
  return base;
}

nlohmann::ordered_json error(const std::string& message) { return {{"error", message}}; }

// A command's events as its answer gives them: the timeline's JSON lines as objects.
nlohmann::ordered_json parsedEvents(const std::vector<std::string>& lines) {
  nlohmann::ordered_json events = nlohmann::ordered_json::array();
  for (const std::string& line : lines) events.push_back(nlohmann::ordered_json::parse(line));
  return events;
}

}  // namespace

LiveDevice::LiveDevice(Session& session, std::ostringstream& timelineOut, std::ostringstream& warnings,
                       EventFeed& feed, SessionScript& script, std::filesystem::path uploads)
    : session_(session),
      timelineOut_(timelineOut),
      warnings_(warnings),
      feed_(feed),
      script_(script),
      uploads_(std::move(uploads)) {}

template <class Work>
auto LiveDevice::onDevice(Work work) -> decltype(work()) {
  using Result = decltype(work());
  auto task = std::make_shared<std::packaged_task<Result()>>(std::move(work));
  std::future<Result> result = task->get_future();
  {
    std::lock_guard lock(mutex_);
    if (stopping_) throw std::runtime_error("the device has stopped");
    work_.emplace_back([task] { (*task)(); });
  }
  wake_.notify_one();
  return result.get();
}

void LiveDevice::loop() {
  publish(true);
  auto last = Clock::now();
  auto nextTick = last + kTick;
  while (true) {
    std::deque<std::function<void()>> work;
    {
      std::unique_lock lock(mutex_);
      wake_.wait_until(lock, nextTick, [this] { return stopping_ || !work_.empty(); });
      if (stopping_) break;
      work.swap(work_);
    }
    for (auto& piece : work) piece();
    const auto now = Clock::now();
    if (now < nextTick) continue;  // work came between ticks; it has told what it did
    // Ticks on a fixed schedule, so that a frame's drawing does not add to the wait; a
    // tick missed (a long line) is not made up in a burst.
    nextTick = std::max(nextTick + kTick, now);
    const double elapsed = std::min(std::chrono::duration<double>(now - last).count(), kLongestStep);
    last = now;
    try {
      if (rate_ > 0) {
        session_.device().runUntil(session_.device().now() + elapsed * rate_);
        session_.followRecording();
      }
      publish(false);
    } catch (const std::exception& failure) {
      // What the device did on its own went wrong (a recording that turns bad part way,
      // say): told on the timeline and on standard error, once a second at most, and the
      // device goes on.
      if (now - lastComplaint_ > std::chrono::seconds(1)) {
        lastComplaint_ = now;
        std::cerr << "serve: " << failure.what() << std::endl;
        try {
          session_.timeline().note(session_.device().now(), std::string("problem: ") + failure.what());
        } catch (const std::exception&) {
          // Standard error has it.
        }
      }
    }
  }
  // Work handed over as the device stopped is answered, not left waiting.
  std::deque<std::function<void()>> left;
  {
    std::lock_guard lock(mutex_);
    left.swap(work_);
  }
  for (auto& piece : left) piece();
}

void LiveDevice::stop() {
  {
    std::lock_guard lock(mutex_);
    stopping_ = true;
  }
  wake_.notify_all();
}

std::vector<std::string> LiveDevice::drain() {
  std::vector<std::string> lines;
  const std::string text = timelineOut_.str();
  if (text.empty()) return lines;
  timelineOut_.str(std::string());
  std::size_t from = 0;
  while (from < text.size()) {
    std::size_t end = text.find('\n', from);
    if (end == std::string::npos) end = text.size();
    if (end > from) {
      lines.push_back(text.substr(from, end - from));
      feed_.event(lines.back());
    }
    from = end + 1;
  }
  return lines;
}

void LiveDevice::publish(bool force) {
  drain();
  std::vector<std::uint8_t> png;
  if (session_.device().renderScreenFrame(png)) {
    std::lock_guard lock(frameMutex_);
    frame_ = std::make_shared<const std::vector<std::uint8_t>>(std::move(png));
    ++frameNumber_;
    feed_.news("frame", nlohmann::ordered_json{{"frame", frameNumber_}, {"time", session_.device().now()}}.dump());
  }
  std::uint64_t number = 0;
  frame(number);
  nlohmann::ordered_json state = deviceState(session_.device(), rate_, number);
  std::string compared = state.dump();
  if (force || compared != lastState_) {
    lastState_ = std::move(compared);
    state["time"] = session_.device().now();
    feed_.news("state", state.dump());
  }
  publishMotion();
}

void LiveDevice::publishMotion() {
  const double now = session_.device().now();
  if (lastMotion_ >= 0 && now - lastMotion_ < kMotionEvery * std::max(rate_, 1.0)) return;
  lastMotion_ = now;
  const hardware::MotionReading reading = hardware::motionWorld().at(now);
  const auto& g = reading.gravity;
  const auto& a = reading.userAcceleration;
  feed_.news("motion", nlohmann::ordered_json{{"time", now}, {"gravity", {g.x, g.y, g.z}}, {"user", {a.x, a.y, a.z}}}
                           .dump(-1, ' ', false, nlohmann::json::error_handler_t::replace));
}

Answer LiveDevice::runLine(const std::string& text, const std::string* uploadName) {
  drain();
  warnings_.str(std::string());
  const std::size_t number = ++lines_;
  Answer answer;
  try {
    checkUtf8(text, "web", number);
    if (const CommandRow* row = hostFileCommand(text); row != nullptr && uploadName == nullptr) {
      return Answer{400, error("web:" + std::to_string(number) + ": `" + std::string(row->words) +
                               "` opens a file of this machine, which the web may not do: upload the file instead")};
    }
    auto parsed = parseLine(text, "web", number, session_.context());
    if (!parsed) return Answer{200, {{"events", nlohmann::ordered_json::array()}, {"ok", true}}};
    const double at = session_.device().now();
    const bool held = session_.runLine(text, number);
    if (uploadName != nullptr) {
      script_.upload(at, std::string(hostFileCommand(text)->words), *uploadName);
    } else {
      script_.line(at, parsed->step.text, held);
    }
    answer.body = {{"events", parsedEvents(drain())}, {"ok", held}};
  } catch (const std::exception& failure) {
    // The line did not run (or stopped part way): what it did is still told.
    drain();
    answer = Answer{400, error(failure.what())};
  }
  if (const std::string warnings = warnings_.str(); !warnings.empty() && answer.status == 200) {
    answer.body["warnings"] = warnings;
  }
  publish(false);
  return answer;
}

Answer LiveDevice::command(const std::string& line) {
  if (line.size() > kMaxCommandBytes) {
    return Answer{400, error("a command is one line of at most " + std::to_string(kMaxCommandBytes) + " bytes")};
  }
  std::string text = line;
  while (!text.empty() && (text.back() == '\n' || text.back() == '\r')) text.pop_back();
  if (text.find_first_of("\r\n") != std::string::npos) return Answer{400, error("one line at a time")};
  return onDevice([this, text] { return runLine(text); });
}

Answer LiveDevice::upload(UploadKind kind, const std::string& name, const std::string& bytes) {
  if (bytes.size() > kMaxUploadBytes) {
    return Answer{413, error("an upload is at most " + std::to_string(kMaxUploadBytes >> 20) + " MiB")};
  }
  return onDevice([this, kind, name, &bytes] {
    const std::string shown = safeName(name);
    const std::filesystem::path file = uploads_ / (std::to_string(++uploadCount_) + "-" + shown);
    {
      std::ofstream out(file, std::ios::binary);
      out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
      if (!out.flush()) return Answer{500, error("cannot keep the upload: " + file.string())};
    }
    const char* command = kind == UploadKind::Recording ? "replay" : kind == UploadKind::Settings ? "settings-file"
                                                                                                : "styling-file";
    Answer answer = runLine(std::string(command) + " " + file.string(), &shown);
    // A settings or styling file is in the device now; a recording plays from its file
    // until the next one replaces it.
    std::error_code ignored;
    if (kind != UploadKind::Recording || answer.status != 200) {
      std::filesystem::remove(file, ignored);
    } else {
      if (!lastRecording_.empty()) std::filesystem::remove(lastRecording_, ignored);
      lastRecording_ = file;
    }
    return answer;
  });
}

Answer LiveDevice::setRate(double rate) {
  return onDevice([this, rate] {
    rate_ = rate;
    publish(false);
    return Answer{200, {{"rate", rate_}}};
  });
}

nlohmann::ordered_json LiveDevice::state() {
  return onDevice([this] {
    std::uint64_t number = 0;
    frame(number);
    nlohmann::ordered_json state = deviceState(session_.device(), rate_, number);
    state["time"] = session_.device().now();
    return state;
  });
}

nlohmann::ordered_json LiveDevice::settings() {
  return onDevice([this] { return settingsForm(session_.device()); });
}

std::string LiveDevice::sessionText() {
  return onDevice([this] { return script_.text(); });
}

std::shared_ptr<const std::vector<std::uint8_t>> LiveDevice::frame(std::uint64_t& number) {
  std::lock_guard lock(frameMutex_);
  number = frameNumber_;
  return frame_;
}

}  // namespace sim::serve
