#pragma once
// AudioToolbox's vibration request: a system sound with a vibration pattern dictionary
// ("VibePattern": alternating on/off flags and milliseconds; "Intensity": 0.0 to 1.0).

#include "platform/objc/Runtime.h"

#include <cstdint>

using SystemSoundID = std::uint32_t;

extern "C" {
// Starts the vibration and returns at once; the device records the request.
void AudioServicesPlaySystemSoundWithVibration(SystemSoundID sound, id completion, id vibration);
}
