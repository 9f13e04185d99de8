#pragma once
// Every kind of event the device records: a closed list, so that a tool asking about a kind
// can tell a misspelling from a kind that merely did not happen. A test checks that each
// kind recorded anywhere in the device, the tweak or the module is listed here.

#include <array>
#include <string_view>

namespace core {

inline constexpr std::array<std::string_view, 35> kEventKinds = {
    "animation",           "boot",          "button",
    "call",                "class",         "controlCenter",
    "display",             "file.read",     "file.remove",     "file.write",
    "gesture",             "graphics",      "hook",
    "host",                "idleSleep",     "image",
    "library",             "lowPowerMode",  "module",
    "motion",              "notification.delivered", "notification.observer",
    "notification.posted", "power",         "query",           "reachability",
    "screen",              "sleep",         "snapshot",
    "timer",               "timer.scheduled", "toggle",
    "tweak",               "unlock",        "vibration"};

constexpr bool isEventKind(std::string_view kind) {
  for (std::string_view known : kEventKinds) {
    if (known == kind) return true;
  }
  return false;
}

}  // namespace core
