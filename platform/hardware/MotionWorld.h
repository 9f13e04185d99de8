#pragma once
// The world the motion sensor measures: what it reads at each device time. The device rests
// in a pose, turns from one pose to another over some time, has an acceleration added on top
// (a hand shaking it), or follows a recording in device time, one reading at a time, so
// memory does not grow with the recording's length. A device may have no sensor at all.

#include "platform/hardware/MotionReading.h"

#include <functional>
#include <memory>
#include <optional>

namespace hardware {

class MotionWorld {
 public:
  // A device without the device-motion sensor.
  void setSensorPresent(bool present) { present_ = present; }
  bool sensorPresent() const { return present_; }

  // From now on the device rests with this gravity.
  void hold(Vector3 gravity);
  // From now on every reading is exactly this one.
  void set(MotionReading reading);
  // From now, gravity turns to `to` over `seconds` (then holds it), at rest otherwise.
  void move(Vector3 to, double seconds);
  // From now until device time `until`, `acceleration(time)` is the user acceleration of
  // the readings of a held or moving pose. A later one replaces it.
  using Acceleration = std::function<Vector3(double time)>;
  void accelerate(Acceleration acceleration, double until);
  // From now, the recording's readings in device time: its first reading now, each next
  // one as far after as its timestamp says. When it ends, its last reading holds.
  void replay(std::unique_ptr<ReadingStream> recording);
  bool replaying() const { return recording_ != nullptr; }
  // The recording's last reading has been reached.
  bool finished() const { return recording_ != nullptr && !upcoming_; }
  // Readings consumed from the recording so far.
  long long replayedReadings() const { return replayed_; }

  // What the sensor reads at `time` (device seconds, not earlier than the last asked for
  // during a replay). Lying face up at rest until told otherwise.
  MotionReading at(double time);

 private:
  Vector3 gravityAt(double time) const;

  bool present_ = true;
  Vector3 from_{0, 0, -1};
  Vector3 to_{0, 0, -1};
  double moveStart_ = 0;
  double moveSeconds_ = 0;
  Acceleration acceleration_;
  double accelerationEnd_ = 0;

  std::optional<MotionReading> fixed_;
  std::unique_ptr<ReadingStream> recording_;
  double replayStart_ = 0;      // device time of the recording's first reading
  double recordingStart_ = 0;   // its timestamp
  std::optional<TimedReading> current_;
  std::optional<TimedReading> upcoming_;
  long long replayed_ = 0;
};

// The device's one motion world.
MotionWorld& motionWorld();

}  // namespace hardware
