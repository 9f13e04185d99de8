#include "platform/core/RunLoop.h"

#include "platform/objc/AutoreleasePool.h"

#include <algorithm>
#include <chrono>
#include <thread>

namespace core {

namespace {
double wallSeconds() {
  using namespace std::chrono;
  return duration<double>(steady_clock::now().time_since_epoch()).count();
}
}  // namespace

RunLoop& RunLoop::main() {
  static auto* loop = new RunLoop();
  return *loop;
}

RunLoop::WorkId RunLoop::schedule(double at, Source source, Work work) {
  if (at < now_) at = now_;
  const WorkId id = nextId_++;
  queue_.emplace(Key{at, id}, Item{source, std::move(work)});
  times_.emplace(id, at);
  return id;
}

bool RunLoop::cancel(WorkId id) {
  auto found = times_.find(id);
  if (found == times_.end()) return false;
  queue_.erase(Key{found->second, id});
  times_.erase(found);
  return true;
}

double RunLoop::nextTime() const {
  return queue_.empty() ? std::numeric_limits<double>::infinity() : queue_.begin()->first.first;
}

bool RunLoop::runNextDueBy(double limit, WorkId before) {
  for (auto entry = queue_.begin(); entry != queue_.end() && entry->first.first <= limit; ++entry) {
    if (entry->first.second >= before || (gate_ && !gate_(entry->second.source))) continue;
    const double at = entry->first.first;
    Item item = std::move(entry->second);
    times_.erase(entry->first.second);
    queue_.erase(entry);
    if (realtime_) waitForWallClock(at);
    if (at > now_) now_ = at;
    objc::AutoreleasePool pool;
    item.work();
    return true;
  }
  return false;
}

void RunLoop::runUntil(double time) {
  while (runNextDueBy(time)) {
  }
  if (realtime_) waitForWallClock(time);
  if (time > now_) now_ = time;
}

double RunLoop::nextRunnableTime() const {
  for (const auto& [key, item] : queue_) {
    if (!gate_ || gate_(item.source)) return key.first;
  }
  return std::numeric_limits<double>::infinity();
}

std::size_t RunLoop::runTurn() {
  const double next = nextRunnableTime();
  if (next == std::numeric_limits<double>::infinity()) return 0;
  const double start = std::max(now_, next);
  const WorkId before = nextId_;
  std::size_t ran = 0;
  while (runNextDueBy(start, before)) ++ran;
  if (realtime_) waitForWallClock(start);
  if (start > now_) now_ = start;
  return ran;
}

bool RunLoop::runUntilIdle(double limit) {
  while (runNextDueBy(limit)) {
  }
  return queue_.empty();
}

void RunLoop::setRealtime(bool realtime) {
  realtime_ = realtime;
  wallStart_ = wallSeconds() - now_;
}

void RunLoop::waitForWallClock(double deviceTime) const {
  const double wait = wallStart_ + deviceTime - wallSeconds();
  if (wait > 0) std::this_thread::sleep_for(std::chrono::duration<double>(wait));
}

}  // namespace core
