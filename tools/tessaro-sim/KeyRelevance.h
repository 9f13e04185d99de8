#pragma once
// Which settings keys can change what a replay does, and when the tweak reads them.
//
// A replay presses no home button, opens no Control Center and uses no reachability, so
// the keys of those features never change it. The motion keys matter only under some other
// settings: motionSenstivity only with isWakeScreenSensitivityEnabled on, updateIntervalSlider
// only with isUpdateIntervalEnabled on, the gesture only while sampling runs (wakeMode 0 or
// 1: a replay presents the lock screen once and never dismisses it), nothing with
// isEnabled off. A sweep warns of a grid key that matters in none of its cells, since rows
// that differ only in it differ in name only.
//
// Most keys are read when used, so a device that is already running takes a new value from
// a rewritten settings file and "com.brel.tessaro.prefschanged"; isAllowTapOnScreenOffEnabled
// is also read when SpringBoard builds the home button's recognizers at start, and
// isReachavilityDisabled when it sets up reachability at start. Unknown keys are never read.

#include "platform/plist/PropertyList.h"

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace sim {

// Why `key` cannot change a replay under the settings file `settings`, as "X is off"; or
// nullopt when it can.
std::optional<std::string> whyNoDifference(std::string_view key, const plist::Dictionary& settings);

// The warning for a key that can change none of the replays with these settings files:
// "motionSenstivity makes no difference here: isWakeScreenSensitivityEnabled is off in every
// cell". Nullopt when it matters in one of them.
std::optional<std::string> noDifferenceWarning(std::string_view key, const std::vector<plist::Dictionary>& settingsFiles);

// True for a key the tweak reads while the device starts, so that a device booted with
// another value of it is not the same device after a settings reload.
bool readAtStart(std::string_view key);

}  // namespace sim
