#include "platform/coremotion/MotionWorld.h"

#include "platform/core/RunLoop.h"

#include <cmath>

namespace coremotion {

namespace {

Vector3 normalized(Vector3 v) {
  const double length = std::sqrt(v.x * v.x + v.y * v.y + v.z * v.z);
  if (length == 0) return {0, 0, -1};
  return {v.x / length, v.y / length, v.z / length};
}

double now() { return core::RunLoop::main().now(); }

}  // namespace

std::optional<Vector3> poseNamed(const std::string& name) {
  if (name == "face-up" || name == "flat") return Vector3{0, 0, -1};
  if (name == "face-down") return Vector3{0, 0, 1};
  if (name == "raised") return Vector3{0, -0.85, -0.5};
  if (name == "upright") return Vector3{0, -1, 0};
  if (name == "landscape") return Vector3{-1, 0, 0};
  return std::nullopt;
}

void MotionWorld::set(Reading reading) {
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

void MotionWorld::shake(double g, double seconds) {
  shakeG_ = g;
  shakeStart_ = now();
  shakeEnd_ = now() + seconds;
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

Reading MotionWorld::at(double time) {
  if (recording_) {
    const double target = recordingStart_ + (time - replayStart_);
    while (upcoming_ && upcoming_->timestamp <= target) {
      current_ = std::move(upcoming_);
      ++replayed_;
      upcoming_ = recording_->next();
    }
    return current_ ? current_->reading : Reading{};
  }
  if (fixed_) return *fixed_;
  Reading reading{{0, 0, 0}, gravityAt(time)};
  if (time >= shakeStart_ && time < shakeEnd_) {
    const bool forward = static_cast<long long>((time - shakeStart_) / 0.1) % 2 == 0;
    reading.userAcceleration.z = forward ? -shakeG_ : shakeG_;
  }
  return reading;
}

MotionWorld& world() {
  static MotionWorld* installed = [] {
    auto* motionWorld = new MotionWorld();
    setWorld([motionWorld](double time) { return motionWorld->at(time); });
    return motionWorld;
  }();
  return *installed;
}

}  // namespace coremotion
