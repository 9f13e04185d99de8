#pragma once
// The one device of `tessaro-sim serve`, alive on the thread that runs loop(): the session
// its lines run on, its clock following the wall clock at a rate (paused, real time, ten
// times), and what it shows handed on to the server's threads: the timeline's events and
// passing news through the EventFeed, the newest frame of the screen. Every request's work
// is handed to the device's thread and waited for, never run beside it.
//
// A line from the web is one line of the scenario language, parsed by the same parser as
// files; what it names of this machine's files is refused (the web may not open a path),
// and files come as uploads instead, read with the limits of files. Lines that ran go to
// the session's script. A line that cannot run, or a request the device cannot answer, is
// a 4xx with a message; the device goes on either way.

#include "tools/tessaro-sim/commands/Session.h"
#include "tools/tessaro-sim/serve/EventFeed.h"
#include "tools/tessaro-sim/serve/SessionScript.h"

#include <nlohmann/json.hpp>

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <deque>
#include <filesystem>
#include <functional>
#include <future>
#include <memory>
#include <mutex>
#include <sstream>
#include <string>
#include <vector>

namespace sim::serve {

// An answer to the web: an HTTP status and its JSON body.
struct Answer {
  int status = 200;
  nlohmann::ordered_json body;
};

// The largest upload taken, in bytes.
inline constexpr std::size_t kMaxUploadBytes = 16u << 20;
// The longest line taken from the web, in bytes.
inline constexpr std::size_t kMaxCommandBytes = 4096;

enum class UploadKind { Recording, Settings, Styling };

class LiveDevice {
 public:
  // `timelineOut` is where the session's timeline writes its JSON lines; `uploads` an
  // empty directory of this process's own for the files that come as uploads.
  LiveDevice(Session& session, std::ostringstream& timelineOut, std::ostringstream& warnings, EventFeed& feed,
             SessionScript& script, std::filesystem::path uploads);

  // Runs the device until stop(): the work handed to it, the clock, the news.
  void loop();
  void stop();

  // Each of these is handed to the device's thread and waited for.
  Answer command(const std::string& line);
  Answer upload(UploadKind kind, const std::string& name, const std::string& bytes);
  Answer setRate(double rate);
  nlohmann::ordered_json state();
  nlohmann::ordered_json settings();
  std::string sessionText();

  // The newest frame of the screen (PNG) and its number; read without waiting.
  std::shared_ptr<const std::vector<std::uint8_t>> frame(std::uint64_t& number);

 private:
  // Runs `work` on the device's thread and waits for its result; throws what it throws.
  template <class Work>
  auto onDevice(Work work) -> decltype(work());

  // A line from the web, or (`uploadName` given) the line an upload runs as, which alone may
  // name a file: the upload's own, in the uploads folder.
  Answer runLine(const std::string& text, const std::string* uploadName = nullptr);
  // The timeline's new JSON lines, fed on and returned.
  std::vector<std::string> drain();
  void publish(bool force);
  void publishMotion();

  Session& session_;
  std::ostringstream& timelineOut_;
  std::ostringstream& warnings_;
  EventFeed& feed_;
  SessionScript& script_;
  std::filesystem::path uploads_;
  std::size_t lines_ = 0;
  std::size_t uploadCount_ = 0;
  std::filesystem::path lastRecording_;
  double rate_ = 1;
  std::string lastState_;
  double lastMotion_ = -1;
  std::chrono::steady_clock::time_point lastComplaint_{};

  std::mutex mutex_;
  std::condition_variable wake_;
  std::deque<std::function<void()>> work_;
  std::atomic<bool> stopping_{false};

  std::mutex frameMutex_;
  std::shared_ptr<const std::vector<std::uint8_t>> frame_;
  std::uint64_t frameNumber_ = 0;
};

}  // namespace sim::serve
