#pragma once
// A device with the built TessaroModule.bundle loaded by Control Center and, unless asked,
// without the tweak: the module on its own. One per process.

#include "platform/controlcenter/ControlCenter.h"
#include "platform/device/Device.h"
#include "platform/foundation/Foundation.h"
#include "platform/objc/AutoreleasePool.h"
#include "platform/objc/Message.h"
#include "platform/quartzcore/QuartzCore.h"

#include <memory>
#include <optional>

namespace moduletest {

inline constexpr const char* kIdentifier = "com.brel.control-center.tessaromodule";

struct Booted {
  std::unique_ptr<device::Device> device;
  id module = nil;
  std::unique_ptr<objc::AutoreleasePool> pool;
};

// `styling` is the styling file (none: no file), `settings` the tweak's settings file.
inline Booted boot(std::optional<plist::Dictionary> styling, std::optional<plist::Dictionary> settings = std::nullopt,
                   device::BootOptions options = {}) {
  options.loadTweak = false;
  options.settings = std::move(settings);
  if (styling) options.files.emplace_back(device::kStylingPath, *styling);
  Booted booted;
  booted.device = std::make_unique<device::Device>(options);
  booted.module = controlcenter::moduleFor(kIdentifier);
  booted.pool = std::make_unique<objc::AutoreleasePool>();
  return booted;
}

inline id contentView(id module) {
  using namespace objc::literals;
  return objc::send<id()>(objc::send<id()>(module, "contentViewController"_sel), "view"_sel);
}

// What the content view shows now.
inline quartzcore::Color shownBackground(id module) {
  using namespace objc::literals;
  return quartzcore::presentation(objc::send<id()>(contentView(module), "layer"_sel)).background;
}

inline double cornerRadius(id module) {
  using namespace objc::literals;
  return objc::send<CGFloat()>(objc::send<id()>(contentView(module), "layer"_sel), "cornerRadius"_sel);
}

}  // namespace moduletest
