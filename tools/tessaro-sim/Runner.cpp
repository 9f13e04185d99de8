#include "tools/tessaro-sim/Runner.h"

#include "tools/tessaro-sim/commands/Session.h"

namespace sim {

int runScenario(const Scenario& scenario, Timeline& timeline, std::ostream& errors, bool realtime) {
  // Counts, not events: a run's memory does not grow with its length.
  core::eventLog().setKeepEvents(false);
  for (const auto& [kind, text] : scenario.countedTexts) core::eventLog().countText(kind, text);
  int status = 0;
  try {
    // Before the session goes: it holds the device, whose teardown records no more lines.
    Session session(scenario.name, {}, timeline, errors, realtime, scenario.strict);
    session.preparePlots(scenario.steps);
    const auto& steps = scenario.steps;
    for (std::size_t i = 0; i < steps.size() && status == 0; ++i) {
      // A `step` line, the line before one and expectations leave later turns to come.
      const bool nextIsTurn = i + 1 < steps.size() && std::holds_alternative<command::Turn>(steps[i + 1].command);
      if (!session.run(steps[i], !nextIsTurn && settlesAfter(steps[i].command))) status = 1;
    }
    if (status == 0) session.finish();
  } catch (const ScenarioError&) {
    timeline.flush();
    core::eventLog().setListener(nullptr);
    throw;
  }
  timeline.flush();
  core::eventLog().setListener(nullptr);
  return status;
}

}  // namespace sim
