#pragma once
// What the device-motion sensor measures: two vectors in g, in the device frame (x toward
// the right edge of the screen, y toward its top edge, z out of the screen).

#include <optional>

namespace hardware {

struct Vector3 {
  double x = 0, y = 0, z = 0;
};

struct MotionReading {
  Vector3 userAcceleration;  // what the user gives the device, gravity removed
  Vector3 gravity;           // a unit vector; (0, 0, -1) lying face up
};

struct TimedReading {
  double timestamp = 0;  // seconds, in the recording's own clock
  MotionReading reading;
};

// A recording, read front to back.
class ReadingStream {
 public:
  virtual ~ReadingStream() = default;
  // The next reading, or none at the end. A bad input throws std::runtime_error naming
  // the file and the line or element.
  virtual std::optional<TimedReading> next() = 0;
};

}  // namespace hardware
