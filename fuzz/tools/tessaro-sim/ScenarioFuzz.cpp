// Scenarios from untrusted text: parsed whole, or a ScenarioError naming the line; nothing
// else. Recordings a scenario names are looked for in an empty directory.

#include "tools/tessaro-sim/Scenario.h"

#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <string_view>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  static const std::filesystem::path directory = [] {
    auto path = std::filesystem::temp_directory_path() / ("tessaro-scenario-fuzz-" + std::to_string(::getpid()));
    std::filesystem::create_directories(path);
    return path;
  }();
  try {
    sim::parseScenario(std::string_view(reinterpret_cast<const char*>(data), size), "fuzz.scenario", directory);
  } catch (const sim::ScenarioError&) {
  }
  return 0;
}
