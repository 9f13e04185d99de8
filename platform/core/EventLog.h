#pragma once
// What the device did, in device time: every effect the host can see (display, presses,
// vibrations, notifications, settings writes, hooks, idle-sleep requests, ...). Tests
// assert on it; the simulator prints it. By default every event is kept; a long run keeps
// counts only (per kind, and per kind and text for the texts asked for beforehand), so
// that its memory does not grow with its length.

#include <nlohmann/json.hpp>

#include <functional>
#include <map>
#include <set>
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
  // Counted as events come when asked for with countText beforehand; otherwise from the
  // kept events (0 when none are kept).
  std::size_t count(std::string_view kind, std::string_view text) const;

  // false: events are passed to the listener and counted, no longer kept.
  void setKeepEvents(bool keep);
  // From now on, events of this kind and text are counted.
  void countText(const std::string& kind, const std::string& text);

  // Verbose: the device also records what a loaded library asks of the host ("query") and
  // the gesture recognizers' delegate questions ("gesture"), which a plain run leaves out.
  void setVerbose(bool verbose) { verbose_ = verbose; }
  bool verbose() const { return verbose_; }

  // Called for each event as it is recorded (the simulator streams the timeline).
  void setListener(Listener listener) { listener_ = std::move(listener); }
  void clear();

 private:
  std::vector<Event> events_;
  bool keep_ = true;
  std::map<std::string, std::size_t, std::less<>> kindCounts_;
  std::map<std::pair<std::string, std::string>, std::size_t, std::less<>> textCounts_;
  Listener listener_;
  bool verbose_ = false;
};

// The device's log. One device per process.
EventLog& eventLog();

inline void record(std::string kind, std::string text, nlohmann::json fields = nlohmann::json::object()) {
  eventLog().record(std::move(kind), std::move(text), std::move(fields));
}

}  // namespace core
