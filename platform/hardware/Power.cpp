#include "platform/hardware/Power.h"

#include "platform/core/EventLog.h"
#include "platform/core/RunLoop.h"
#include "platform/hardware/Display.h"

namespace hardware {

namespace {

// Timers and sensor readings wait while the device sleeps; everything else runs.
bool mayRun(core::RunLoop::Source source) {
  return !power().asleep() || (source != core::RunLoop::Source::Timer && source != core::RunLoop::Source::Sensor);
}

}  // namespace

void Power::setCharging(bool charging) {
  charging_ = charging;
  core::record("power", charging ? "charging" : "unplugged", {{"charging", charging}});
}

void Power::grantIdleSleepWindow(float seconds) {
  if (!sleepsWhenIdle_ || display().isOn()) return;
  static const bool gateInstalled = (core::RunLoop::main().setGate(&mayRun), true);
  (void)gateInstalled;
  if (pendingSleep_ != 0) core::RunLoop::main().cancel(pendingSleep_);
  pendingSleep_ = core::RunLoop::main().scheduleAfter(seconds, core::RunLoop::Source::Input, [this] {
    pendingSleep_ = 0;
    if (display().isOn() || asleep_) return;
    asleep_ = true;
    core::record("sleep", "asleep", {{"asleep", true}});
  });
}

void Power::wake() {
  if (!asleep_) return;
  asleep_ = false;
  core::record("sleep", "awake", {{"asleep", false}});
}

Power& power() {
  static auto* instance = new Power();
  return *instance;
}

}  // namespace hardware
