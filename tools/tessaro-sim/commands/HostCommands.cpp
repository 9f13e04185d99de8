// The host: how the device is built (classes it lacks, an older gesture manager, ...), and
// the state of the world it reports (Low Power Mode, the charger, a call).

#include "tools/tessaro-sim/commands/Families.h"
#include "tools/tessaro-sim/commands/Session.h"

namespace sim {

namespace {

Command parseWithout(Line& line, const ParseContext&) { return command::Without{line.word(1)}; }
Command parseOlder(Line&, const ParseContext&) { return command::OlderGestureManager{}; }
Command parseHomeButtonWakes(Line& line, const ParseContext&) { return command::HomeButtonWakes{line.onOff(1)}; }
Command parseNoRootFolderView(Line&, const ParseContext&) { return command::NoRootFolderView{}; }

Command parseSwitch(Line& line, const ParseContext&) {
  const std::string& name = line.word(0);
  const auto what = name == "low-power" ? command::Switch::LowPowerMode
                    : name == "charging" ? command::Switch::Charging
                                         : command::Switch::Call;
  return command::Switch{what, line.onOff(1)};
}

constexpr CommandRow kRows[] = {
    {"without", When::BeforeBoot, 1, 1, "without CLASS",
     "the host has no class of that name (e.g. `without SBReachabilitySettings`)", parseWithout},
    {"older-gesture-manager", When::BeforeBoot, 0, 0, "older-gesture-manager",
     "the host's `FBSystemGestureManager` answers only `addGestureRecognizer:toDisplay:` (an older host), not "
     "`addGestureRecognizer:toDisplayWithIdentity:`",
     parseOlder},
    {"no-root-folder-view", When::BeforeBoot, 0, 0, "no-root-folder-view",
     "the home screen's root folder controller gives no view", parseNoRootFolderView},
    {"home-button-wakes", When::Anywhere, 1, 1, "home-button-wakes on|off",
     "a physical home press lights a dark display, as on a stock phone (off by default)", parseHomeButtonWakes},
    {"low-power", When::AfterBoot, 1, 1, "low-power on|off", "Low Power Mode", parseSwitch},
    {"charging", When::AfterBoot, 1, 1, "charging on|off", "the charger", parseSwitch},
    {"call", When::AfterBoot, 1, 1, "call on|off", "a call in progress", parseSwitch},
};

}  // namespace

std::span<const CommandRow> hostCommands() { return kRows; }

namespace command {

bool Without::run(Session& session) const {
  session.bootOptions().absentClasses.insert(className);
  return true;
}

bool OlderGestureManager::run(Session& session) const {
  session.bootOptions().gestureManager = frontboard::GestureManager::Older;
  return true;
}

bool NoRootFolderView::run(Session& session) const {
  session.bootOptions().rootFolderView = false;
  return true;
}

bool HomeButtonWakes::run(Session& session) const {
  if (!session.booted()) {
    session.bootOptions().homeButtonWakesDisplay = on;
    return true;
  }
  session.device().setHomeButtonWakesDisplay(on);
  return session.noteLine();
}

bool Switch::run(Session& session) const {
  device::Device& device = session.device();
  switch (what) {
    case LowPowerMode: device.setLowPowerMode(on); break;
    case Charging: device.setCharging(on); break;
    case Call: device.setCallInProgress(on); break;
  }
  return true;
}

}  // namespace command

}  // namespace sim
