#include "tweak/motion/Poses.h"

#include <gtest/gtest.h>

#include <limits>

namespace {

TEST(Poses, ClassifiesTheTypicalPoses) {
  EXPECT_EQ(classifyPose(0, 0, -1), kPoseFaceUp);
  EXPECT_EQ(classifyPose(0, 0, 1), kPoseFaceDown);
  EXPECT_EQ(classifyPose(0, -0.85, -0.5), kPoseRaised);
  EXPECT_EQ(classifyPose(0.5, -0.8, -0.3), kPoseNone) << "|gx| must be below 0.45";
  EXPECT_EQ(classifyPose(0, -1.0, 0.0), kPoseNone) << "exactly upright is not raised";
  EXPECT_EQ(classifyPose(0, 0, 0), kPoseNone) << "no reading yet";
}

TEST(Poses, BoundariesFallAsInSinglePrecision) {
  EXPECT_EQ(classifyPose(0.45, -0.8, -0.3), kPoseRaised) << "0.45f is below the double 0.45";
  EXPECT_EQ(classifyPose(-0.45, -0.8, -0.3), kPoseRaised);
  EXPECT_EQ(classifyPose(0, 0.15, -0.99), kPoseNone) << "0.15f is above the double 0.15";
  EXPECT_EQ(classifyPose(0, 0.1499, -0.99), kPoseFaceUp);
  EXPECT_EQ(classifyPose(0, -0.8, -0.6), kPoseNone) << "-0.6f is below the double -0.6";
  EXPECT_EQ(classifyPose(0, -0.8, 0.0), kPoseRaised) << "gz 0 is still raised";
  EXPECT_EQ(classifyPose(0, -0.45, -0.3), kPoseNone);
  EXPECT_EQ(classifyPose(0, 0, -0.8), kPoseFaceUp) << "-0.8f is below the double -0.8";
  EXPECT_EQ(classifyPose(0, 0, 0.8), kPoseFaceDown) << "0.8f is above the double 0.8";
  EXPECT_TRUE(isFaceDown(0.1, 0.95));
  EXPECT_FALSE(isFaceDown(0.2, 0.95));
}

TEST(Poses, MotionThresholdsCountBothSignsAndNeverNaN) {
  EXPECT_TRUE(isMoving(0, 0, -2.0f, 2.0f));
  EXPECT_TRUE(isMoving(2.0f, 0, 0, 2.0f));
  EXPECT_FALSE(isMoving(0, 0, -1.99f, 2.0f));
  const float nan = std::numeric_limits<float>::quiet_NaN();
  EXPECT_FALSE(isMoving(nan, nan, nan, 2.0f));
  EXPECT_TRUE(isMoving(0, 0, static_cast<float>(7.0 / 3.0), 7.0f / 3.0f));
  EXPECT_FALSE(isMoving(0, 0, 2.33f, 7.0f / 3.0f));
}

TEST(Poses, TheBlendOfAStoredReadingGivesItBack) {
  const double a = 0.2;
  EXPECT_FLOAT_EQ(blend(static_cast<float>(a), a), static_cast<float>(a));
  EXPECT_FLOAT_EQ(blend(0.0f, 1.0), static_cast<float>(static_cast<double>(0.1f)));
}

}  // namespace
