#include "tools/tessaro-sim/serve/EventFeed.h"

namespace sim::serve {

void EventFeed::event(const std::string& json) { push(false, "data: " + json + "\n\n"); }

void EventFeed::news(const std::string& name, const std::string& json) {
  push(true, "event: " + name + "\ndata: " + json + "\n\n");
}

void EventFeed::push(bool news, std::string text) {
  {
    std::lock_guard lock(mutex_);
    messages_.push_back(Message{next_++, news, std::move(text)});
    if (!news) ++events_;
    // The oldest go first: passing news at once, timeline events past the kept number.
    while (messages_.size() > kKeptMessages || events_ > kKeptEvents) {
      if (!messages_.front().news) --events_;
      messages_.pop_front();
    }
  }
  arrived_.notify_all();
}

std::uint64_t EventFeed::firstPosition() {
  std::lock_guard lock(mutex_);
  return messages_.empty() ? next_ - 1 : messages_.front().position - 1;
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
  for (const Message& message : messages_) {
    if (message.position <= position) continue;
    if (!message.news || message.position > since) texts.push_back(message.text);
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
