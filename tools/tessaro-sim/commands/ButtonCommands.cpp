// Buttons and gestures: the sleep/wake and home buttons, the fingerprint sensor, the
// reachability gesture and the user's unlock.

#include "tools/tessaro-sim/Scenario.h"
#include "tools/tessaro-sim/Words.h"
#include "tools/tessaro-sim/commands/Families.h"
#include "tools/tessaro-sim/commands/Session.h"

#include <map>

namespace sim {

namespace {

Command parsePressLock(Line&, const ParseContext&) { return command::PressLock{}; }

// "press home [twice] [gap G] [for D]", "hold home D", "tap-hold home D [gap G]".
Command parseHomeGesture(Line& line, const ParseContext&) {
  const std::string& name = line.word(0);
  std::size_t next = 2;
  double hold = kClickSeconds;
  bool twice = false;
  if (name == "press") {
    if (line.size() > 2 && line.word(2) == "twice") {
      twice = true;
      next = 3;
    }
  } else {
    hold = line.durationWord(2, "duration");
    next = 3;
  }
  std::optional<double> gap;
  std::optional<double> held;
  for (std::size_t i = next; i < line.size(); i += 2) {
    const std::string& option = line.word(i);
    const bool allowed = (option == "gap" && name != "hold" && (twice || name == "tap-hold")) ||
                         (option == "for" && name == "press");
    if (!allowed || i + 1 == line.size()) line.fail(line.usage());
    std::optional<double>& slot = option == "gap" ? gap : held;
    if (slot) line.fail(quote(option) + " given twice");
    slot = line.durationWord(i + 1, option == "gap" ? "gap" : "duration");
  }
  command::HomeGesture gesture;
  if (name == "press") {
    gesture.presses.push_back({0, held.value_or(hold)});
    if (twice) gesture.presses.push_back({gap.value_or(kPressGapSeconds), held.value_or(hold)});
  } else if (name == "hold") {
    gesture.presses.push_back({0, hold});
  } else {
    gesture.presses.push_back({0, kClickSeconds});
    gesture.presses.push_back({gap.value_or(kPressGapSeconds), hold});
  }
  for (const auto& press : gesture.presses) {
    if (press.hold <= 0) line.fail("a press must be held for some time");
  }
  return gesture;
}

Command parseHomeButton(Line& line, const ParseContext&) {
  const std::string& phase = line.word(1);
  if (phase != "down" && phase != "up") line.fail(line.usage());
  return command::HomeButton{phase == "down"};
}

Command parseFinger(Line& line, const ParseContext&) {
  if (auto event = fingerEventNamed(line.word(1))) return command::Finger{*event};
  if (auto number = parseInteger(line.word(1)); number && !line[1].quoted) return command::Finger{*number};
  line.fail("unknown fingerprint event " + quote(line.word(1)) +
            " (lifted, resting, scanning, matched, not-matched, or a number)");
}

Command parseReachability(Line&, const ParseContext&) { return command::Reachability{}; }
Command parseRebuild(Line&, const ParseContext&) { return command::RebuildHomeGestures{}; }
Command parseUnlock(Line&, const ParseContext&) { return command::Unlock{}; }

constexpr CommandRow kRows[] = {
    {"press lock", When::AfterBoot, 0, 0, "press lock", "the sleep/wake button, at once", parsePressLock},
    {"press home", When::AfterBoot, 0, 5, "press home [twice] [gap DURATION] [for DURATION]",
     "one click of the home button: down now, up D later (0.1 s); `twice`: two clicks, the second going down G "
     "(0.15 s) after the first's release. The device runs through the gesture, so the line ends at the last release",
     parseHomeGesture},
    {"hold home", When::AfterBoot, 1, 1, "hold home DURATION", "one press of the home button held that long",
     parseHomeGesture},
    {"tap-hold home", When::AfterBoot, 1, 3, "tap-hold home DURATION [gap DURATION]",
     "a click, then G (0.15 s) later a press held that long", parseHomeGesture},
    {"home", When::AfterBoot, 1, 1, "home down|up",
     "the home button goes down now / comes up now, held for the time between: a press of the user's own "
     "timing (the page of `tessaro-sim serve` sends these as the mouse goes down and up)",
     parseHomeButton},
    {"finger", When::AfterBoot, 1, 1, "finger EVENT",
     "the fingerprint sensor reports an event to the lock screen: `lifted` (0), `resting` (1), `scanning` (2), "
     "`matched` (4), `not-matched` (9), or any number",
     parseFinger},
    {"reachability", When::AfterBoot, 0, 0, "reachability",
     "the host's reachability toggle, as the user's gesture asks for it", parseReachability},
    {"rebuild-home-gestures", When::AfterBoot, 0, 0, "rebuild-home-gestures",
     "SpringBoard builds the home button's gesture recognizers again (the tweak reads `isAllowTapOnScreenOffEnabled` "
     "only then)",
     parseRebuild},
    {"unlock", When::AfterBoot, 0, 0, "unlock",
     "the user unlocks a lit lock screen (refused, with a note, when dark or not locked)", parseUnlock},
};

}  // namespace

std::span<const CommandRow> buttonCommands() { return kRows; }

std::optional<long long> fingerEventNamed(std::string_view name) {
  static const std::map<std::string, long long, std::less<>> events = {
      {"lifted", 0}, {"resting", 1}, {"scanning", 2}, {"matched", 4}, {"not-matched", 9}};
  const auto found = events.find(name);
  if (found == events.end()) return std::nullopt;
  return found->second;
}

namespace command {

bool PressLock::run(Session& session) const {
  session.device().pressLockButton();
  return true;
}

bool HomeButton::run(Session& session) const {
  if (session.device().homeButtonIsDown() == down) {
    session.fail(down ? "the home button is already down" : "the home button is not down");
  }
  if (down) {
    session.device().homeButtonDown();
  } else {
    session.device().homeButtonUp();
  }
  return true;
}

bool HomeGesture::run(Session& session) const {
  for (const Press& press : presses) {
    session.device().runFor(press.gapBefore);
    session.device().clickHomeButton(press.hold);
  }
  return true;
}

// What the user or SpringBoard does that is no device event of its own is noted first.
bool Finger::run(Session& session) const {
  session.noteLine();
  session.device().reportBiometricEvent(event);
  return true;
}

bool Reachability::run(Session& session) const {
  session.noteLine();
  session.device().toggleReachability();
  return true;
}

bool RebuildHomeGestures::run(Session& session) const {
  session.noteLine();
  session.device().rebuildHomeButtonGestures();
  return true;
}

bool Unlock::run(Session& session) const {
  device::Device& device = session.device();
  if (!device.unlock()) {
    const char* why = !device.lockScreenUp() ? "the lock screen is not up" : "the display is off";
    session.note(std::string("unlock refused: ") + why);
  }
  return true;
}

}  // namespace command

}  // namespace sim
