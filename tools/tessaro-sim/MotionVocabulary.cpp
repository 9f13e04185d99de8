#include "tools/tessaro-sim/MotionVocabulary.h"

#include "platform/core/RunLoop.h"

namespace sim {

std::optional<hardware::Vector3> poseNamed(const std::string& name) {
  if (name == "face-up" || name == "flat") return hardware::Vector3{0, 0, -1};
  if (name == "face-down") return hardware::Vector3{0, 0, 1};
  if (name == "raised") return hardware::Vector3{0, -0.85, -0.5};
  if (name == "upright") return hardware::Vector3{0, -1, 0};
  if (name == "landscape") return hardware::Vector3{-1, 0, 0};
  return std::nullopt;
}

void shake(hardware::MotionWorld& world, double g, double seconds) {
  const double start = core::RunLoop::main().now();
  world.accelerate(
      [g, start](double time) {
        const bool forward = static_cast<long long>((time - start) / 0.1) % 2 == 0;
        return hardware::Vector3{0, 0, forward ? -g : g};
      },
      start + seconds);
}

}  // namespace sim
