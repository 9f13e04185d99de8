#include "platform/core/EventLog.h"

#include "platform/core/RunLoop.h"

namespace core {

void EventLog::record(std::string kind, std::string text, nlohmann::json fields) {
  Event event{RunLoop::main().now(), std::move(kind), std::move(text), std::move(fields)};
  const auto counted = kindCounts_.find(event.kind);
  if (counted != kindCounts_.end()) ++counted->second;
  else kindCounts_.emplace(event.kind, 1);
  if (!textCounts_.empty()) {
    const auto pair = textCounts_.find(std::make_pair(event.kind, event.text));
    if (pair != textCounts_.end()) ++pair->second;
  }
  if (listener_) listener_(event);
  if (keep_) events_.push_back(std::move(event));
}

void EventLog::setKeepEvents(bool keep) {
  keep_ = keep;
  if (!keep_) events_ = {};
}

void EventLog::countText(const std::string& kind, const std::string& text) {
  auto key = std::make_pair(kind, text);
  if (textCounts_.contains(key)) return;
  std::size_t n = 0;
  for (const Event& event : events_) n += event.kind == kind && event.text == text;
  textCounts_.emplace(std::move(key), n);
}

void EventLog::clear() {
  events_.clear();
  kindCounts_.clear();
  for (auto& [key, n] : textCounts_) n = 0;
}

std::vector<Event> EventLog::ofKind(std::string_view kind) const {
  std::vector<Event> matching;
  for (const Event& event : events_) {
    if (event.kind == kind) matching.push_back(event);
  }
  return matching;
}

std::size_t EventLog::count(std::string_view kind) const {
  const auto found = kindCounts_.find(kind);
  return found == kindCounts_.end() ? 0 : found->second;
}

std::size_t EventLog::count(std::string_view kind, std::string_view text) const {
  const auto counted = textCounts_.find(std::make_pair(std::string(kind), std::string(text)));
  if (counted != textCounts_.end()) return counted->second;
  std::size_t n = 0;
  for (const Event& event : events_) n += event.kind == kind && event.text == text;
  return n;
}

EventLog& eventLog() {
  static auto* log = new EventLog();
  return *log;
}

}  // namespace core
