#pragma once
// The stand-in CoreMotion: CMMotionManager delivers CMDeviceMotion readings from the
// device's motion world on the main run loop, about once per update interval.

#include "platform/coremotion/CMAcceleration.h"

#include <functional>

namespace coremotion {

using Vector3 = CMAcceleration;

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
