#include "tweak/motion/SBLockScreenManager.h"

#include "platform/coremotion/CMAcceleration.h"
#include "platform/objc/Associated.h"
#include "platform/objc/Message.h"
#include "tweak/ScreenWake.h"
#include "tweak/Settings.h"
#include "tweak/State.h"
#include "tweak/host/Host.h"
#include "tweak/motion/Poses.h"
#include "tweak/motion/Sampling.h"

using namespace objc::literals;
using objc::send;
using Vector = CMAcceleration;

namespace hooks::SBLockScreenManager {

namespace {

// The address is the key of the motion source attached to the manager.
const char motionManagerKey = 0;

// Presentation asks for a locked device, dismissal for an unlocked one.
bool samplingGate(BOOL locked) {
  return isEnabled && !host::isLowPowerModeEnabled() && !isAllowTapOnScreenOffEnabled && isLocked == locked;
}

// The latest reading of the stored motion source; all zeros before the first one.
id latestReading(id self) { return send<id()>(send<id()>(self, "motionManager"_sel), "deviceMotion"_sel); }
Vector userAccelerationOf(id reading) { return send<Vector()>(reading, "userAcceleration"_sel); }
Vector gravityOf(id reading) { return send<Vector()>(reading, "gravity"_sel); }

void faceDownLock(id self) {
  const Vector gravity = gravityOf(latestReading(self));
  const long long pose = isFaceDown(gravity.y, gravity.z) ? kPoseFaceDown : kPoseNone;
  if (pose == kPoseFaceDown && motionType != kPoseFaceDown) host::simulateLockButtonPress();
  motionType = pose;
}

void blendAll(const Vector& acceleration) {
  rollingX = blend(rollingX, acceleration.x);
  rollingY = blend(rollingY, acceleration.y);
  rollingZ = blend(rollingZ, acceleration.z);
}

bool isSteady() { return !isMoving(rollingX, rollingY, rollingZ, motionSenstivity / 50.0f); }

// Pick-up (0) wakes on the change into raised; lay-flat (2) on face up after raised.
void poseWake(id self, long long wakingPose, bool (*fromStored)(long long)) {
  id reading = latestReading(self);
  const Vector gravity = gravityOf(reading);
  const long long pose = classifyPose(gravity.x, gravity.y, gravity.z);
  if (isWakeScreenSensitivityEnabled) {
    blendAll(userAccelerationOf(reading));
    if (pose == wakingPose && fromStored(motionType) && isSteady()) wakeScreen();
  } else if (pose == wakingPose && fromStored(motionType)) {
    wakeScreen();
  }
  motionType = pose;
}

}  // namespace

void (*orig_lockScreenViewControllerDidPresent)(id, SEL) = nullptr;
void (*orig_lockScreenViewControllerDidDismiss)(id, SEL) = nullptr;

void lockScreenViewControllerDidPresent(id self, SEL _cmd) {
  if (samplingGate(YES)) {
    if (wakeMode == 0 || wakeMode == 1) {
      startSampling(self);
    } else {
      stopSampling(self);
    }
  }
  orig_lockScreenViewControllerDidPresent(self, _cmd);
}

void lockScreenViewControllerDidDismiss(id self, SEL _cmd) {
  if (samplingGate(NO)) {
    if (wakeMode == 0) {
      stopSampling(self);
    } else if (wakeMode == 2) {
      startSampling(self);
    }
  }
  orig_lockScreenViewControllerDidDismiss(self, _cmd);
}

void getAcceleration(id self, SEL) {
  if (isWakeScreenSensitivityEnabled || wakeGestureMode == 2 || wakeGestureMode == 1) {
    const Vector acceleration = userAccelerationOf(latestReading(self));
    rollingX = static_cast<float>(acceleration.x);
    rollingY = static_cast<float>(acceleration.y);
    rollingZ = static_cast<float>(acceleration.z);
  }
  send<void()>(self, "updateMotionType"_sel);
}

void updateMotionType(id self, SEL) {
  if (!isEnabled || host::isLowPowerModeEnabled() || isAllowTapOnScreenOffEnabled) {
    if (!isMotionDetectorReEnabled) wakeScreen();
    send<void()>(send<id()>(self, "motionManager"_sel), "stopDeviceMotionUpdates"_sel);
    host::endTimer(deviceMotionTimer);
    host::endTimer(disableMotionDetector);
    return;
  }
  if (host::hasCurrentCalls()) return;
  if (wakeMode != 0 && wakeMode != 1) {
    faceDownLock(self);
    return;
  }
  if (host::screenIsOn()) {
    if (wakeMode == 1) faceDownLock(self);
    return;
  }
  // The time-out counts from the first dark step; later steps leave it alone.
  if (disableDetectionMode == 0 && disableMotionDetector == nil) {
    disableMotionDetector = host::scheduleTimer(disableMotionDetectionSlider * 60.0, self, "disableDetection"_sel, NO);
  }
  switch (wakeGestureMode) {
    case 1: {
      blendAll(userAccelerationOf(latestReading(self)));
      const float threshold = isWakeScreenSensitivityEnabled ? motionSenstivity / 3.0f : 2.0f;
      if (isMoving(rollingX, rollingY, rollingZ, threshold)) wakeScreen();
      motionType = kPoseNone;
      break;
    }
    case 0:
      poseWake(self, kPoseRaised, [](long long stored) { return stored != kPoseRaised; });
      break;
    case 2:
      poseWake(self, kPoseFaceUp, [](long long stored) { return stored == kPoseRaised; });
      break;
    default:
      break;
  }
}

void disableDetection(id self, SEL) {
  if (!isMotionDetectorReEnabled) wakeScreen();
  send<void()>(send<id()>(self, "motionManager"_sel), "stopDeviceMotionUpdates"_sel);
  host::endTimer(disableMotionDetector);
  host::endTimer(deviceMotionTimer);
}

id motionManager(id self, SEL) { return objc_getAssociatedObject(self, &motionManagerKey); }

void setMotionManager(id self, SEL, id manager) {
  objc_setAssociatedObject(self, &motionManagerKey, manager, OBJC_ASSOCIATION_RETAIN_NONATOMIC);
}

}  // namespace hooks::SBLockScreenManager
