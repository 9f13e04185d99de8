#pragma once
// What the page shows of the device, as JSON, read on the device's thread: the state (the
// display, the lock screen, sampling, Control Center, each toggle with its frame on the
// screen, the clock) and the settings form (every key of the settings file the tweak reads
// and of the styling file, with its type, its value when absent, what the file holds and,
// for the settings, what the tweak read at its last reload).

#include "platform/device/Device.h"

#include <nlohmann/json.hpp>

namespace sim::serve {

// Without "time": two states alike but for the clock compare equal.
nlohmann::ordered_json deviceState(device::Device& device, double rate, std::uint64_t frame);

nlohmann::ordered_json settingsForm(device::Device& device);

}  // namespace sim::serve
