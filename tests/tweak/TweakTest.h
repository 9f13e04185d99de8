#pragma once
// A device with the inspectable Tessaro loaded, for the tweak's tests. One per process.

#include "platform/coremotion/CoreMotion.h"
#include "platform/hardware/MotionWorld.h"
#include "platform/device/Device.h"
#include "platform/core/DeviceRoot.h"
#include "platform/objc/AutoreleasePool.h"
#include "platform/objc/Ref.h"
#include "platform/objc/Singleton.h"
#include "tests/tweak/Inspection.h"

#include <dlfcn.h>

#include <memory>

namespace tweaktest {

inline device::BootOptions inspectable(device::BootOptions options = {}) {
  options.tweakLibrary = TESSARO_INSPECTABLE_TWEAK;
  return options;
}

struct Booted {
  std::unique_ptr<device::Device> device;
  const TweakInspection* tweak = nullptr;
  // For what the test itself sends outside the run loop.
  std::unique_ptr<objc::AutoreleasePool> pool;
};

// Boots with `settings` as the settings file (none: no file at all).
inline Booted boot(std::optional<plist::Dictionary> settings, device::BootOptions options = {}) {
  options.settings = std::move(settings);
  Booted booted;
  booted.device = std::make_unique<device::Device>(inspectable(std::move(options)));
  auto inspect = reinterpret_cast<const TweakInspection* (*)()>(dlsym(RTLD_DEFAULT, "tessaroInspect"));
  booted.tweak = inspect ? inspect() : nullptr;
  booted.pool = std::make_unique<objc::AutoreleasePool>();
  return booted;
}

inline void setReading(hardware::Vector3 gravity, hardware::Vector3 acceleration = {}) {
  hardware::motionWorld().set({acceleration, gravity});
}

inline id lockScreenManager() {
  using namespace objc::literals;
  return objc::send<id()>(objc::getClass("SBLockScreenManager"), "sharedInstance"_sel);
}

inline id storedMotionManager() {
  using namespace objc::literals;
  return objc::send<id()>(lockScreenManager(), "motionManager"_sel);
}

inline std::size_t wakes(const Booted& booted) { return booted.device->log().count("display", "on"); }
inline std::size_t lockPresses(const Booted& booted) { return booted.device->log().count("button", "lock (simulated)"); }
inline bool sampling() { return coremotion::activeManagers() > 0; }

}  // namespace tweaktest
