#pragma once
// The stand-in CoreMotion: CMMotionManager delivers CMDeviceMotion readings from the
// device's motion world on the main run loop, about once per update interval.

#include <functional>

namespace coremotion {

// CMAcceleration: three doubles, in g, in the device frame (x to the right edge of the
// screen, y to its top edge, z out of the screen).
struct Vector3 {
  double x = 0, y = 0, z = 0;
  static constexpr const char* objcEncoding = "{?=ddd}";
};

struct Reading {
  Vector3 userAcceleration;
  Vector3 gravity;
};

// What the sensor reads at a device time. The default world lies flat, face up, at rest.
using World = std::function<Reading(double time)>;

void registerClasses();
void setWorld(World world);
Reading readingAt(double time);
// A device without the device-motion sensor answers NO to isDeviceMotionAvailable.
void setSensorAvailable(bool available);
// How many readings all motion managers have delivered.
long long deliveredReadings();
// How many motion managers are delivering now.
int activeManagers();

}  // namespace coremotion
