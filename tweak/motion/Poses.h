#pragma once
// The pose of the device from its gravity, and the motion tests on the smoothed user
// acceleration. Components are narrowed to single precision first; each comparison is
// made in the precision the device's decision has always used, so boundary readings fall
// the same way (gx exactly 0.45 is raised, |gy| exactly 0.15 is not flat). |x| is fabsf,
// as the compiler builds it in.

// The poses stored in motionType.
enum : long long { kPoseRaised = 0, kPoseFaceUp = 1, kPoseFaceDown = 2, kPoseNone = 5 };

inline bool isFaceDown(double gravityY, double gravityZ) {
  const float gy = static_cast<float>(gravityY);
  const float gz = static_cast<float>(gravityZ);
  return static_cast<double>(__builtin_fabsf(gy)) <= 0.15 && static_cast<double>(gz) >= 0.8;
}

inline long long classifyPose(double gravityX, double gravityY, double gravityZ) {
  const float gx = static_cast<float>(gravityX);
  const float gy = static_cast<float>(gravityY);
  const float gz = static_cast<float>(gravityZ);
  if (static_cast<double>(__builtin_fabsf(gx)) < 0.45 && gy > -1.0f && static_cast<double>(gy) < -0.45 &&
      static_cast<double>(gz) > -0.6 && gz <= 0.0f) {
    return kPoseRaised;
  }
  if (static_cast<double>(__builtin_fabsf(gy)) <= 0.15 && static_cast<double>(gz) <= -0.8) return kPoseFaceUp;
  if (isFaceDown(gravityY, gravityZ)) return kPoseFaceDown;
  return kPoseNone;
}

// r ← a × α + r × (1 − α), with α the single-precision 0.1 widened, in double precision.
inline float blend(float rolling, double acceleration) {
  constexpr double alpha = static_cast<double>(0.1f);
  return static_cast<float>(acceleration * alpha + static_cast<double>(rolling) * (1.0 - alpha));
}

// Moving against threshold t when any component reaches t or -t; NaN never counts.
inline bool isMoving(float x, float y, float z, float threshold) {
  return x >= threshold || x <= -threshold || y >= threshold || y <= -threshold || z >= threshold ||
         z <= -threshold;
}
