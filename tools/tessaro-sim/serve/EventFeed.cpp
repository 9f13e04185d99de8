#include "tools/tessaro-sim/serve/EventFeed.h"

#include <algorithm>

namespace sim::serve {

void EventFeed::event(const std::string& json) { push(events_, kKeptEvents, "data: " + json + "\n\n"); }

void EventFeed::news(const std::string& name, const std::string& json) {
  push(news_, kKeptNews, "event: " + name + "\ndata: " + json + "\n\n");
}

void EventFeed::push(std::deque<Message>& messages, std::size_t kept, std::string text) {
  {
    std::lock_guard lock(mutex_);
    messages.push_back(Message{next_++, std::move(text)});
    if (messages.size() > kept) messages.pop_front();
  }
  arrived_.notify_all();
}

std::uint64_t EventFeed::firstPosition() {
  std::lock_guard lock(mutex_);
  return events_.empty() ? next_ - 1 : events_.front().position - 1;
}

std::uint64_t EventFeed::lastPosition() {
  std::lock_guard lock(mutex_);
  return next_ - 1;
}

std::vector<std::string> EventFeed::after(std::uint64_t& position, std::uint64_t since,
                                          std::chrono::milliseconds wait) {
  std::unique_lock lock(mutex_);
  arrived_.wait_for(lock, wait, [&] { return closed_ || next_ - 1 > position; });
  std::vector<std::string> texts;
  if (closed_) return texts;
  // Both from past `position`, in the order they came.
  const auto later = [](std::uint64_t at, const Message& message) { return at < message.position; };
  auto event = std::upper_bound(events_.begin(), events_.end(), position, later);
  auto news = std::upper_bound(news_.begin(), news_.end(), std::max(position, since), later);
  while (event != events_.end() || news != news_.end()) {
    const bool takeEvent = news == news_.end() || (event != events_.end() && event->position < news->position);
    const Message& message = takeEvent ? *event++ : *news++;
    texts.push_back(message.text);
  }
  position = next_ - 1;
  return texts;
}

void EventFeed::close() {
  {
    std::lock_guard lock(mutex_);
    closed_ = true;
  }
  arrived_.notify_all();
}

bool EventFeed::closed() {
  std::lock_guard lock(mutex_);
  return closed_;
}

}  // namespace sim::serve
