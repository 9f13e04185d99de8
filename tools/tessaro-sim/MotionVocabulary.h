#pragma once
// The words scenarios use for the motion world: named poses and a shaking hand.

#include "platform/hardware/MotionWorld.h"

#include <optional>
#include <string>

namespace sim {

// Gravity of the named poses: "face-up" (also "flat") (0, 0, -1), "face-down" (0, 0, 1),
// "raised" (0, -0.85, -0.5), "upright" (0, -1, 0), "landscape" (-1, 0, 0). None for
// another name.
std::optional<hardware::Vector3> poseNamed(const std::string& name);

// From now, for `seconds`, a user acceleration of `g` along -z on top of the pose,
// alternating in sign every 0.1 s as a hand shakes.
void shake(hardware::MotionWorld& world, double g, double seconds);

}  // namespace sim
