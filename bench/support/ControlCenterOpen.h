#pragma once
// One device a benchmark process, booted with Control Center open over the home screen and
// Tessaro's toggle coloured: the second presentation, once its colour has faded in, as the
// snapshot and live-frame benchmarks draw it.

#include "platform/device/Device.h"

namespace benchsupport {

inline device::Device& deviceWithControlCenterOpen(uikit::Screen screen = uikit::Screen::FourPointSevenInch) {
  static device::Device* booted = [screen] {
    device::BootOptions options;
    options.screen = screen;
    options.settings = plist::Dictionary{{"isEnabled", true}};
    options.files.emplace_back(device::kStylingPath,
                               plist::Dictionary{{"isEnabled", true}, {"isColoredTogglesEnabled", true}});
    auto* device = new device::Device(options);
    device->openControlCenter();
    device->closeControlCenter();
    device->openControlCenter();
    device->runFor(1);
    return device;
  }();
  return *booted;
}

}  // namespace benchsupport
