#pragma once
// What the device did, in device time: every effect the host can see (display, presses,
// vibrations, notifications, settings writes, hooks, idle-sleep requests, ...). Tests
// assert on it; the simulator prints it.

#include <nlohmann/json.hpp>

#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace core {

struct Event {
  double time = 0.0;        // device seconds since boot
  std::string kind;         // "display", "button", "vibration", "notification.posted", ...
  std::string text;         // one readable line, without the time
  nlohmann::json fields;    // the same facts, for tools and tests (an object)
};

class EventLog {
 public:
  using Listener = std::function<void(const Event&)>;

  void record(std::string kind, std::string text, nlohmann::json fields = nlohmann::json::object());

  const std::vector<Event>& events() const { return events_; }
  std::vector<Event> ofKind(std::string_view kind) const;
  std::size_t count(std::string_view kind) const;
  std::size_t count(std::string_view kind, std::string_view text) const;

  // Called for each event as it is recorded (the simulator streams the timeline).
  void setListener(Listener listener) { listener_ = std::move(listener); }
  void clear() { events_.clear(); }

 private:
  std::vector<Event> events_;
  Listener listener_;
};

// The device's log. One device per process.
EventLog& eventLog();

inline void record(std::string kind, std::string text, nlohmann::json fields = nlohmann::json::object()) {
  eventLog().record(std::move(kind), std::move(text), std::move(fields));
}

}  // namespace core
