#pragma once
// A device with the inspectable Tessaro loaded, for the tweak's tests. One per process.

#include "platform/device/Device.h"
#include "platform/foundation/DeviceRoot.h"
#include "platform/objc/AutoreleasePool.h"
#include "platform/objc/Ref.h"
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
};

// Boots with `settings` as the settings file (none: no file at all).
inline Booted boot(std::optional<plist::Dictionary> settings, device::BootOptions options = {}) {
  options.settings = std::move(settings);
  Booted booted;
  booted.device = std::make_unique<device::Device>(inspectable(std::move(options)));
  auto inspect = reinterpret_cast<const TweakInspection* (*)()>(dlsym(RTLD_DEFAULT, "tessaroInspect"));
  booted.tweak = inspect ? inspect() : nullptr;
  return booted;
}

}  // namespace tweaktest
