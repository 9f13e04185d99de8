#pragma once
// A scenario run in this process (one device a test case): its status, timeline and errors.

#include "tools/tessaro-sim/Runner.h"
#include "tools/tessaro-sim/Scenario.h"

#include <sstream>
#include <string>

namespace simtest {

struct Ran {
  int status = -1;
  std::string timeline;
  std::string errors;
};

// Files the lines name are found relative to `directory`.
inline Ran runText(const std::string& text, const std::filesystem::path& directory = ".") {
  const sim::Scenario scenario = sim::parseScenario(text, "run.scenario", directory);
  std::ostringstream out, errors;
  sim::Timeline timeline(out, sim::Format::Text);
  Ran ran;
  ran.status = sim::runScenario(scenario, timeline, errors, false);
  ran.timeline = out.str();
  ran.errors = errors.str();
  return ran;
}

}  // namespace simtest
