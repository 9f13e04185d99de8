#include "platform/hardware/MotionWorld.h"

#include "platform/core/RunLoop.h"

#include <cmath>

namespace hardware {

namespace {

Vector3 normalized(Vector3 v) {
  const double length = std::sqrt(v.x * v.x + v.y * v.y + v.z * v.z);
  if (length == 0) return {0, 0, -1};
  return {v.x / length, v.y / length, v.z / length};
}

double now() { return core::RunLoop::main().now(); }

}  // namespace

void MotionWorld::set(MotionReading reading) {
  recording_.reset();
  fixed_ = reading;
}

void MotionWorld::hold(Vector3 gravity) {
  recording_.reset();
  fixed_.reset();
  from_ = to_ = gravity;
  moveSeconds_ = 0;
}

void MotionWorld::move(Vector3 to, double seconds) {
  recording_.reset();
  fixed_.reset();
  from_ = gravityAt(now());
  to_ = to;
  moveStart_ = now();
  moveSeconds_ = seconds;
}

void MotionWorld::accelerate(Acceleration acceleration, double until) {
  acceleration_ = std::move(acceleration);
  accelerationEnd_ = until;
}

void MotionWorld::replay(std::unique_ptr<ReadingStream> recording) {
  fixed_.reset();
  recording_ = std::move(recording);
  replayed_ = 0;
  current_ = recording_->next();
  if (current_) ++replayed_;
  upcoming_ = current_ ? recording_->next() : std::nullopt;
  replayStart_ = now();
  recordingStart_ = current_ ? current_->timestamp : 0;
}

Vector3 MotionWorld::gravityAt(double time) const {
  if (moveSeconds_ <= 0 || time >= moveStart_ + moveSeconds_) return to_;
  const double f = (time - moveStart_) / moveSeconds_;
  return normalized({from_.x + (to_.x - from_.x) * f, from_.y + (to_.y - from_.y) * f,
                     from_.z + (to_.z - from_.z) * f});
}

MotionReading MotionWorld::at(double time) {
  if (recording_) {
    const double target = recordingStart_ + (time - replayStart_);
    while (upcoming_ && upcoming_->timestamp <= target) {
      current_ = std::move(upcoming_);
      ++replayed_;
      upcoming_ = recording_->next();
    }
    return current_ ? current_->reading : MotionReading{};
  }
  if (fixed_) return *fixed_;
  MotionReading reading{{0, 0, 0}, gravityAt(time)};
  if (acceleration_ && time < accelerationEnd_) reading.userAcceleration = acceleration_(time);
  return reading;
}

MotionWorld& motionWorld() {
  static auto* world = new MotionWorld();
  return *world;
}

}  // namespace hardware
