#pragma once
// Runs a parsed scenario on the one device of this process, printing its timeline.

#include "tools/tessaro-sim/Scenario.h"
#include "tools/tessaro-sim/Timeline.h"

#include <ostream>

namespace sim {

// 0 when every expectation holds; 1 at the first that does not, after printing
// "FILE:LINE: expected ..., got ..." to `errors`. Stops there. A line the device cannot
// carry out (a snapshot that cannot be written, a toggle it does not have) throws
// ScenarioError "FILE:LINE: ...".
int runScenario(const Scenario& scenario, Timeline& timeline, std::ostream& errors, bool realtime);

}  // namespace sim
