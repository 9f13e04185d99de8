#pragma once
// The device's motion world: what the sensor reads at each device time. A scenario sets it
// (a pose held, a move from one pose to another over some time, a shake of so many g) or
// replays a recording in device time, one reading at a time, so memory does not grow with
// the recording's length.

#include "platform/coremotion/CoreMotion.h"

#include <memory>
#include <optional>
#include <string>

namespace coremotion {

struct TimedReading {
  double timestamp = 0;  // seconds, in the recording's own clock
  Reading reading;
};

// A recording, read front to back.
class ReadingStream {
 public:
  virtual ~ReadingStream() = default;
  // The next reading, or none at the end. A bad input throws std::runtime_error naming
  // the file and the line or element.
  virtual std::optional<TimedReading> next() = 0;
};

// Gravity of the named poses: "face-up" (0, 0, -1), "face-down" (0, 0, 1), "raised"
// (0, -0.85, -0.5), "upright" (0, -1, 0), "landscape" (-1, 0, 0). None for another name.
std::optional<Vector3> poseNamed(const std::string& name);

class MotionWorld {
 public:
  // From now on the device rests with this gravity.
  void hold(Vector3 gravity);
  // From now on every reading is exactly this one.
  void set(Reading reading);
  // From now, gravity turns to `to` over `seconds` (then holds it), at rest otherwise.
  void move(Vector3 to, double seconds);
  // From now, for `seconds`, a user acceleration of `g` along -z on top of the pose,
  // alternating in sign every 0.1 s as a hand shakes.
  void shake(double g, double seconds);
  // From now, the recording's readings in device time: its first reading now, each next
  // one as far after as its timestamp says. When it ends, its last reading holds.
  void replay(std::unique_ptr<ReadingStream> recording);
  bool replaying() const { return recording_ != nullptr; }
  // The recording's last reading has been reached.
  bool finished() const { return recording_ != nullptr && !upcoming_; }
  // Readings consumed from the recording so far.
  long long replayedReadings() const { return replayed_; }

  Reading at(double time);

 private:
  Vector3 gravityAt(double time) const;

  Vector3 from_{0, 0, -1};
  Vector3 to_{0, 0, -1};
  double moveStart_ = 0;
  double moveSeconds_ = 0;
  double shakeG_ = 0;
  double shakeStart_ = 0;
  double shakeEnd_ = 0;

  std::optional<Reading> fixed_;
  std::unique_ptr<ReadingStream> recording_;
  double replayStart_ = 0;      // device time of the recording's first reading
  double recordingStart_ = 0;   // its timestamp
  std::optional<TimedReading> current_;
  std::optional<TimedReading> upcoming_;
  long long replayed_ = 0;
};

// The world CoreMotion reads from; installed on first use.
MotionWorld& world();

}  // namespace coremotion
