#include "platform/core/EventLog.h"

#include "platform/core/RunLoop.h"

namespace core {

void EventLog::record(std::string kind, std::string text, nlohmann::json fields) {
  Event& event = events_.emplace_back();
  event.time = RunLoop::main().now();
  event.kind = std::move(kind);
  event.text = std::move(text);
  event.fields = std::move(fields);
  if (listener_) listener_(event);
}

std::vector<Event> EventLog::ofKind(std::string_view kind) const {
  std::vector<Event> matching;
  for (const Event& event : events_) {
    if (event.kind == kind) matching.push_back(event);
  }
  return matching;
}

std::size_t EventLog::count(std::string_view kind) const {
  std::size_t n = 0;
  for (const Event& event : events_) n += event.kind == kind;
  return n;
}

std::size_t EventLog::count(std::string_view kind, std::string_view text) const {
  std::size_t n = 0;
  for (const Event& event : events_) n += event.kind == kind && event.text == text;
  return n;
}

EventLog& eventLog() {
  static auto* log = new EventLog();
  return *log;
}

}  // namespace core
