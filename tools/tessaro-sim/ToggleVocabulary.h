#pragma once
// The words scenarios use for Control Center: toggle names and colours.

#include "platform/quartzcore/Values.h"

#include <optional>
#include <string>
#include <vector>

namespace sim {

inline constexpr const char* kTessaroToggle = "com.brel.control-center.tessaromodule";

// The module identifier a scenario means: an identifier of a toggle the device has (the
// host's own and Tessaro's), or its short name, the identifier's last part without
// "Module", in lower case with words joined by '-': "tessaro", "do-not-disturb",
// "orientation-lock". None for another name.
std::optional<std::string> toggleNamed(const std::string& name);
// The short names, for messages.
std::vector<std::string> toggleNames();
std::string shortName(const std::string& identifier);

// "clear", or "#RRGGBB" (the number sign may be left out, as a scenario must unless it
// quotes the word: '#' starts a comment) with an optional ":ALPHA" (0 to 1); none for
// anything else.
std::optional<quartzcore::Color> colorNamed(const std::string& text);
// As a scenario writes it: "clear", "#D78449", "#D78449:0.50".
std::string describeColor(const quartzcore::Color& color);
// Equal as the screen shows them: premultiplied components within one step of 255.
bool sameColor(const quartzcore::Color& a, const quartzcore::Color& b);

}  // namespace sim
