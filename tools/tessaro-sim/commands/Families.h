#pragma once
// The rows of the command table, one function a family, each defined in its family's file
// beside the commands' parsers and runs.

#include "tools/tessaro-sim/commands/CommandTable.h"

#include <cstddef>
#include <span>
#include <string>

namespace sim {

std::span<const CommandRow> settingsCommands();       // SettingsCommands.cpp
std::span<const CommandRow> timeCommands();           // TimeCommands.cpp
std::span<const CommandRow> buttonCommands();         // ButtonCommands.cpp
std::span<const CommandRow> motionCommands();         // MotionCommands.cpp
std::span<const CommandRow> controlCenterCommands();  // ControlCenterCommands.cpp
std::span<const CommandRow> hostCommands();           // HostCommands.cpp
std::span<const CommandRow> expectCommands();         // ExpectCommands.cpp

// A toggle by module identifier or short name, from word `i`; refuses the line otherwise.
std::string toggleWord(const Line& line, std::size_t i);

}  // namespace sim
