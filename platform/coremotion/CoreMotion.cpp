#include "platform/coremotion/CoreMotion.h"

#include "platform/core/EventLog.h"
#include "platform/core/HostCall.h"
#include "platform/core/HostClasses.h"
#include "platform/core/RunLoop.h"
#include "platform/foundation/Foundation.h"
#include "platform/coremotion/CMAcceleration.h"
#include "platform/hardware/MotionWorld.h"
#include "platform/objc/Block.h"
#include "platform/objc/ClassBuilder.h"

#include <set>

namespace coremotion {
namespace {

using namespace objc::literals;
using objc::send;

long long delivered = 0;
bool failNext = false;
int active = 0;
// The update intervals of the managers delivering now, one entry each.
std::multiset<double> activeIntervals;

struct MotionState {
  hardware::MotionReading reading;
};

CMAcceleration toAcceleration(const hardware::Vector3& v) { return {v.x, v.y, v.z}; }
CMAcceleration userAcceleration(id self, SEL) { return toAcceleration(objc::stateOf<MotionState>(self).reading.userAcceleration); }
CMAcceleration gravity(id self, SEL) { return toAcceleration(objc::stateOf<MotionState>(self).reading.gravity); }

struct ManagerState {
  double interval = 0.01;
  bool active = false;
  objc::Ref handler;
  objc::Ref latest;
  core::RunLoop::WorkId pending = 0;
  // A released manager stops delivering: its next delivery is taken back.
  ~ManagerState() {
    if (pending != 0) core::RunLoop::main().cancel(pending);
    if (active) {
      --coremotion::active;
      activeIntervals.erase(activeIntervals.find(interval));
      core::record("motion", "updates ended: manager released", {{"active", coremotion::active}});
    }
  }
};

ManagerState& managerOf(id self) { return objc::stateOf<ManagerState>(self); }

void deliver(id manager);

void scheduleNext(id manager) {
  ManagerState& state = managerOf(manager);
  // Not retained: a manager that is released takes the pending delivery back.
  state.pending = core::RunLoop::main().scheduleAfter(state.interval, core::RunLoop::Source::Sensor,
                                                      [manager] { deliver(manager); });
}

void deliver(id manager) {
  ManagerState& state = managerOf(manager);
  state.pending = 0;
  if (!state.active) return;
  objc::Ref keep{manager};
  if (failNext) {
    failNext = false;
    scheduleNext(manager);
    core::record("motion", "delivery failed: the handler gets an error and no reading", {{"error", true}});
    objc::Ref handler = state.handler;
    objc::callBlock<void(id, id)>(handler, nil, foundation::makeError("CMErrorDomain", 102));
    return;
  }
  objc::Ref motion = objc::Ref::adopt(send<id()>(objc::getClass("CMDeviceMotion"), "new"_sel));
  objc::stateOf<MotionState>(motion).reading = hardware::motionWorld().at(core::RunLoop::main().now());
  state.latest = motion;
  ++delivered;
  scheduleNext(manager);
  objc::Ref handler = state.handler;
  objc::callBlock<void(id, id)>(handler, motion.get(), nil);
}

BOOL isDeviceMotionAvailable(id self, SEL sel) {
  const bool present = hardware::motionWorld().sensorPresent();
  core::recordAnswer(self, sel, present);
  return present ? YES : NO;
}
BOOL isDeviceMotionActive(id self, SEL sel) {
  const bool active = managerOf(self).active;
  core::recordAnswer(self, sel, active);
  return active ? YES : NO;
}
void setDeviceMotionUpdateInterval(id self, SEL, double interval) {
  ManagerState& state = managerOf(self);
  if (state.active) activeIntervals.erase(activeIntervals.find(state.interval));
  state.interval = interval > 0.001 ? interval : 0.001;
  if (state.active) activeIntervals.insert(state.interval);
}
double deviceMotionUpdateInterval(id self, SEL) { return managerOf(self).interval; }

void startDeviceMotionUpdatesToQueue(id self, SEL, id, id handler) {
  ManagerState& state = managerOf(self);
  if (!hardware::motionWorld().sensorPresent()) return;
  state.handler = objc::copyBlock(handler);
  if (state.active) return;
  state.active = true;
  ++active;
  activeIntervals.insert(state.interval);
  core::record("motion", "updates started", {{"active", active}, {"interval", state.interval}});
  scheduleNext(self);
}

void stopDeviceMotionUpdates(id self, SEL) {
  ManagerState& state = managerOf(self);
  if (state.active) {
    --active;
    activeIntervals.erase(activeIntervals.find(state.interval));
    core::record("motion", "updates stopped", {{"active", active}});
  }
  state.active = false;
  state.handler.reset();
  if (state.pending != 0) core::RunLoop::main().cancel(state.pending);
  state.pending = 0;
}

id deviceMotion(id self, SEL) { return managerOf(self).latest; }

}  // namespace

void registerClasses() {
  core::defineHostClass("CMDeviceMotion", [](objc::ClassBuilder& c) {
    c.state<MotionState>().method("userAcceleration"_sel, &userAcceleration).method("gravity"_sel, &gravity);
  });
  core::defineHostClass("CMMotionManager", [](objc::ClassBuilder& c) {
    c.state<ManagerState>()
        .method("isDeviceMotionAvailable"_sel, &isDeviceMotionAvailable)
        .method("isDeviceMotionActive"_sel, &isDeviceMotionActive)
        .method("setDeviceMotionUpdateInterval:"_sel, &setDeviceMotionUpdateInterval)
        .method("deviceMotionUpdateInterval"_sel, &deviceMotionUpdateInterval)
        .method("startDeviceMotionUpdatesToQueue:withHandler:"_sel, &startDeviceMotionUpdatesToQueue)
        .method("stopDeviceMotionUpdates"_sel, &stopDeviceMotionUpdates)
        .method("deviceMotion"_sel, &deviceMotion);
  });
}

long long deliveredReadings() { return delivered; }
int activeManagers() { return active; }
std::vector<double> activeUpdateIntervals() { return {activeIntervals.begin(), activeIntervals.end()}; }
void failNextDelivery() { failNext = true; }

}  // namespace coremotion
