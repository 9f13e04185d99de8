#include "platform/core/RunLoop.h"
#include "platform/coremotion/CMAcceleration.h"
#include "platform/coremotion/CoreMotion.h"
#include "platform/hardware/MotionWorld.h"
#include "platform/foundation/Foundation.h"
#include "platform/objc/AutoreleasePool.h"
#include "platform/objc/Block.h"

#include <gtest/gtest.h>

namespace {

using namespace objc::literals;
using objc::send;

struct Sensor : testing::Test {
  void SetUp() override {
    foundation::registerClasses();
    coremotion::registerClasses();
    hardware::motionWorld().hold({0, -1, 0});
  }
  objc::AutoreleasePool pool;
  int calls = 0;

  objc::Ref startedManager(double interval) {
    objc::Ref manager = objc::Ref::adopt(send<id()>(objc::getClass("CMMotionManager"), "new"_sel));
    send<void(double)>(manager, "setDeviceMotionUpdateInterval:"_sel, interval);
    objc::Ref handler = objc::makeBlock<void(id, id)>([this](id, id) { ++calls; });
    send<void(id, id)>(manager, "startDeviceMotionUpdatesToQueue:withHandler:"_sel, nil, handler.get());
    return manager;
  }
};

TEST_F(Sensor, DeliversAboutOncePerIntervalOnTheRunLoopUntilStopped) {
  objc::Ref manager = startedManager(0.1);
  EXPECT_EQ(send<id()>(manager, "deviceMotion"_sel), nil) << "no reading before the first delivery";
  EXPECT_EQ(calls, 0) << "never inside the start call";
  core::RunLoop::main().runFor(1.05);
  EXPECT_EQ(calls, 10);
  const auto gravity = send<CMAcceleration()>(send<id()>(manager, "deviceMotion"_sel), "gravity"_sel);
  EXPECT_EQ(gravity.y, -1.0);
  send<void()>(manager, "stopDeviceMotionUpdates"_sel);
  EXPECT_FALSE(send<BOOL()>(manager, "isDeviceMotionActive"_sel));
  core::RunLoop::main().runFor(1.0);
  EXPECT_EQ(calls, 10);
  send<void()>(manager, "stopDeviceMotionUpdates"_sel);  // harmless when stopped
}

TEST_F(Sensor, AReleasedManagerStopsDelivering) {
  objc::Ref manager = startedManager(0.1);
  core::RunLoop::main().runFor(0.25);
  ASSERT_EQ(calls, 2);
  manager.reset();
  core::RunLoop::main().runFor(1.0);
  EXPECT_EQ(calls, 2);
  EXPECT_EQ(coremotion::activeManagers(), 0);
}

TEST_F(Sensor, WithoutTheSensorNothingStarts) {
  hardware::motionWorld().setSensorPresent(false);
  objc::Ref manager = startedManager(0.1);
  EXPECT_FALSE(send<BOOL()>(manager, "isDeviceMotionAvailable"_sel));
  EXPECT_FALSE(send<BOOL()>(manager, "isDeviceMotionActive"_sel));
  core::RunLoop::main().runFor(1.0);
  EXPECT_EQ(calls, 0);
}

}  // namespace
