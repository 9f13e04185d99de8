// The host: how the device is built (classes it lacks, an older gesture manager, ...), and
// the state of the world it reports (Low Power Mode, the charger, a call).

#include "platform/device/HostVariants.h"
#include "tools/tessaro-sim/Words.h"
#include "tools/tessaro-sim/commands/Families.h"
#include "tools/tessaro-sim/commands/Session.h"

#include <regex>

namespace sim {

namespace {

Command parseWithout(Line& line, const ParseContext&) { return command::Without{line.word(1)}; }
// "-[CLASS SELECTOR]", as two words.
Command parseHostMethod(Line& line, const ParseContext&) {
  static const std::regex method(R"(-\[([A-Za-z_][A-Za-z0-9_]*) ([A-Za-z_][A-Za-z0-9_]*:?([A-Za-z_][A-Za-z0-9_]*:)*)\])");
  const std::string text = line.word(1) + " " + line.word(2);
  std::smatch match;
  if (!std::regex_match(text, match, method) || line[1].quoted || line[2].quoted) {
    line.fail("expected a method as -[CLASS SELECTOR], got " + quote(text));
  }
  return command::HostMethod{match[1], match[2], line.word(0) == "host-implements"};
}

Command parseOlder(Line&, const ParseContext&) { return command::OlderGestureManager{}; }
Command parseHomeButtonWakes(Line& line, const ParseContext&) { return command::HomeButtonWakes{line.onOff(1)}; }
Command parseNoRootFolderView(Line&, const ParseContext&) { return command::NoRootFolderView{}; }

Command parseScreenOffMode(Line& line, const ParseContext&) { return command::ScreenOffMode{line.onOff(1)}; }
Command parsePresentLockScreen(Line&, const ParseContext&) { return command::PresentLockScreen{}; }
Command parseCutAnimations(Line&, const ParseContext&) { return command::CutAnimations{}; }

Command parseReachabilitySetting(Line& line, const ParseContext&) {
  const std::string& setting = line.word(1);
  if (setting != "yOffsetFactor" && setting != "systemWideSwipeDownHeight") {
    line.fail("unknown reachability setting " + quote(setting) + " (yOffsetFactor, systemWideSwipeDownHeight)");
  }
  return command::ReachabilitySetting{setting, line.number(2, "value")};
}

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
    {"without-method", When::BeforeBoot, 2, 2, "without-method -[CLASS SELECTOR]",
     "the host class lacks that method (a host whose method a replacement has nothing to replace), e.g. "
     "`without-method -[SBDashBoardViewController handleBiometricEvent:]`",
     parseHostMethod},
    {"host-implements", When::BeforeBoot, 2, 2, "host-implements -[CLASS SELECTOR]",
     "the host class has a method of its own under that selector (one the tweak means to add, which it then does not): "
     "it answers nil and is recorded as a `host` call",
     parseHostMethod},
    {"older-gesture-manager", When::BeforeBoot, 0, 0, "older-gesture-manager",
     "the host's `FBSystemGestureManager` answers only `addGestureRecognizer:toDisplay:` (an older host), not "
     "`addGestureRecognizer:toDisplayWithIdentity:`",
     parseOlder},
    {"no-root-folder-view", When::BeforeBoot, 0, 0, "no-root-folder-view",
     "the home screen's root folder controller gives no view", parseNoRootFolderView},
    {"home-button-wakes", When::Anywhere, 1, 1, "home-button-wakes on|off",
     "a physical home press lights a dark display, as on a stock phone (off by default)", parseHomeButtonWakes},
    {"screen-off-mode", When::AfterBoot, 1, 1, "screen-off-mode on|off",
     "SpringBoard tells the lock screen's controller `setInScreenOffMode:forAutoUnlock:fromUnlockSource:` with YES or "
     "NO, and does nothing else (the display stays as it is)",
     parseScreenOffMode},
    {"present-lockscreen", When::AfterBoot, 0, 0, "present-lockscreen",
     "SpringBoard presents the lock screen again while it is up: a second `lockScreenViewControllerDidPresent` in a "
     "row (refused, with a note, when it is not up)",
     parsePresentLockScreen},
    {"reachability-setting", When::AfterBoot, 2, 2, "reachability-setting yOffsetFactor|systemWideSwipeDownHeight VALUE",
     "SpringBoard stores that reachability setting again, through its setter (it stores 0.4 and 100 at start)",
     parseReachabilitySetting},
    {"cut-animations", When::AfterBoot, 0, 0, "cut-animations",
     "every running view animation is taken off now, as a view removed mid-fade would be: each completion runs on the "
     "next turn with finished NO (animations added to a layer directly, such as a spinner's turn, go on)",
     parseCutAnimations},
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

bool HostMethod::run(Session& session) const {
  auto& methods = own ? session.bootOptions().ownMethods : session.bootOptions().absentMethods;
  methods.insert({className, selector});
  session.rememberVariant(device::methodName({className, selector}));
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

// What SpringBoard does of its own is noted first: its messages follow as host calls.
bool ScreenOffMode::run(Session& session) const {
  session.noteLine();
  session.device().reportScreenOffMode(on);
  return true;
}

bool PresentLockScreen::run(Session& session) const {
  if (!session.device().lockScreenUp()) {
    session.note("present-lockscreen refused: the lock screen is not up");
    return true;
  }
  session.noteLine();
  session.device().presentLockScreenAgain();
  return true;
}

bool ReachabilitySetting::run(Session& session) const {
  session.noteLine();
  if (!session.device().storeReachabilitySetting(setting, value)) {
    session.note("reachability-setting refused: the host has no reachability settings");
  }
  return true;
}

bool CutAnimations::run(Session& session) const {
  const std::size_t cut = session.device().cutViewAnimations();
  session.note("cut-animations: " + std::to_string(cut) + " view animation" + (cut == 1 ? "" : "s") + " cut short",
               {{"cut", cut}});
  return true;
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
