#pragma once
// What the live device tells its watchers, as Server-Sent Events: the timeline's events
// (kept, the last kKeptEvents of them, so that a page opened late sees the run from its
// start) and passing news (a new frame, a changed state, a motion reading), which only
// those watching when it happens are sent. Written by the device's thread, read by any
// number of the server's; a watcher that falls more than the kept messages behind skips
// what was dropped.

#include <condition_variable>
#include <chrono>
#include <cstddef>
#include <cstdint>
#include <deque>
#include <mutex>
#include <string>
#include <vector>

namespace sim::serve {

class EventFeed {
 public:
  static constexpr std::size_t kKeptEvents = 5000;
  static constexpr std::size_t kKeptNews = 1000;

  // A timeline event: its JSON object as `--json` prints it, one line.
  void event(const std::string& json);
  // Passing news under an event name ("frame", "state", "motion"), its data one line.
  void news(const std::string& name, const std::string& json);

  // Where a new watcher starts: at the oldest kept timeline event.
  std::uint64_t firstPosition();
  // The position of the newest message: a watcher joining now is sent news after it.
  std::uint64_t lastPosition();
  // The messages after `position`, as SSE text, waiting up to `wait` for one; `position`
  // moves past them. Passing news older than `since` (where the watcher joined) is left
  // out. Empty after the wait, or once the feed is closed.
  std::vector<std::string> after(std::uint64_t& position, std::uint64_t since, std::chrono::milliseconds wait);
  // No more messages: every waiting watcher wakes and ends.
  void close();
  bool closed();

 private:
  struct Message {
    std::uint64_t position;
    std::string text;
  };
  void push(std::deque<Message>& messages, std::size_t kept, std::string text);

  std::mutex mutex_;
  std::condition_variable arrived_;
  // Apart, so that a flood of news never pushes the timeline out.
  std::deque<Message> events_;
  std::deque<Message> news_;
  std::uint64_t next_ = 1;
  bool closed_ = false;
};

}  // namespace sim::serve
