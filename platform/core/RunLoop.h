#pragma once
// The device's main run loop and its clock. All work of the device runs here, in time
// order, first in first out among equal times: timers, dispatch_after work, main-queue
// operations, notification deliveries, sensor readings, animation completions. The clock
// is virtual by default (hours of device time run in milliseconds, the same way every
// time) and follows the wall clock on request.

#include <cstdint>
#include <functional>
#include <limits>
#include <map>
#include <unordered_map>

namespace core {

class RunLoop {
 public:
  using WorkId = std::uint64_t;
  using Work = std::function<void()>;

  // What a piece of work is: a sleeping device holds back timers and sensor readings.
  enum class Source { Timer, Dispatch, Notification, Sensor, Animation, Input };

  static RunLoop& main();

  double now() const { return now_; }

  WorkId schedule(double at, Source source, Work work);
  WorkId scheduleAfter(double delay, Source source, Work work) { return schedule(now_ + delay, source, std::move(work)); }
  // Answers whether the work was still waiting.
  bool cancel(WorkId id);
  bool isScheduled(WorkId id) const { return times_.contains(id); }
  std::size_t pending() const { return queue_.size(); }
  // The time of the earliest waiting work, or infinity.
  double nextTime() const;
  // The same, less work the gate holds back now: what a loop driving the clock waits for.
  double nextRunnableTime() const;

  // Runs everything due up to `time` (inclusive), then sets the clock to `time`.
  void runUntil(double time);
  void runFor(double seconds) { runUntil(now_ + seconds); }
  // One turn, as a run loop wakes: the clock moves to the earliest work it may run (if that
  // lies ahead), then runs the work that was waiting and due at the turn's start; work
  // added during the turn waits for a later one. Answers how many pieces ran (0: none
  // waiting, or all held back).
  std::size_t runTurn();
  // Runs until nothing is left or the clock would pass `limit`; answers whether idle.
  bool runUntilIdle(double limit = std::numeric_limits<double>::infinity());

  // Sleeping holds back timers and sensor readings until woken; see Device.
  using Gate = std::function<bool(Source)>;  // false: hold this work back for now
  void setGate(Gate gate) { gate_ = std::move(gate); }

  void setRealtime(bool realtime);
  bool realtime() const { return realtime_; }

 private:
  struct Item {
    Source source;
    Work work;
  };
  using Key = std::pair<double, WorkId>;

  // Work added before `before` only.
  bool runNextDueBy(double limit, WorkId before = std::numeric_limits<WorkId>::max());
  void waitForWallClock(double deviceTime) const;

  double now_ = 0.0;
  WorkId nextId_ = 1;
  std::map<Key, Item> queue_;
  std::unordered_map<WorkId, double> times_;
  Gate gate_;
  bool realtime_ = false;
  double wallStart_ = 0.0;  // wall seconds at device time 0, when real time
};

}  // namespace core
