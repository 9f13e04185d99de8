#pragma once
// The stand-in CoreMotion: CMMotionManager delivers CMDeviceMotion readings of the device's
// motion world (platform/hardware) on the main run loop, about once per update interval.

#include <vector>

namespace coremotion {

void registerClasses();
// How many readings all motion managers have delivered.
long long deliveredReadings();
// How many motion managers are delivering now.
int activeManagers();
// Their update intervals, in seconds, smallest first.
std::vector<double> activeUpdateIntervals();
// The next delivery of any motion manager hands its handler an error (an NSError of the
// CMErrorDomain) and no reading; the manager's latest reading stays as it was.
void failNextDelivery();

}  // namespace coremotion
