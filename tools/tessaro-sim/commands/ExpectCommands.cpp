// Expectations, what the device must show at that line, and what it can be asked to show.
// They look and change nothing (`verbose` aside, which turns on what the device records).

#include "platform/core/EventKinds.h"
#include "platform/coremotion/CoreMotion.h"
#include "platform/foundation/Foundation.h"
#include "platform/uikit/gestures/GestureEnvironment.h"
#include "tools/tessaro-sim/Scenario.h"
#include "tools/tessaro-sim/SettingsKeys.h"
#include "tools/tessaro-sim/ToggleVocabulary.h"
#include "tools/tessaro-sim/TweakGlobals.h"
#include "tools/tessaro-sim/Words.h"
#include "tools/tessaro-sim/commands/Families.h"
#include "tools/tessaro-sim/commands/Session.h"

#include <algorithm>
#include <cmath>
#include <map>

namespace sim {

namespace {

const char* onOff(bool on) { return on ? "on" : "off"; }

Command parseDisplay(Line& line, const ParseContext&) { return command::ExpectDisplay{line.onOff(2)}; }

Command parseLockScreen(Line& line, const ParseContext&) {
  const std::string& state = line.word(2);
  if (state != "up" && state != "down") line.fail("expected up or down, got " + quote(state));
  return command::ExpectLockScreen{state == "up"};
}

Command parseSampling(Line& line, const ParseContext&) { return command::ExpectSampling{line.onOff(2)}; }

Command parseSamplingInterval(Line& line, const ParseContext&) {
  const double seconds = line.durationWord(3, "interval");
  if (seconds <= 0) line.fail("a sampling interval is more than 0 s");
  return command::ExpectSamplingInterval{seconds};
}

Command parseReachability(Line& line, const ParseContext&) { return command::ExpectReachability{line.onOff(2)}; }

Command parseCount(Line& line, const ParseContext&) {
  command::ExpectCount count;
  count.kind = line.word(2);
  if (!isCountableKind(count.kind)) {
    line.fail("unknown event kind " + quote(count.kind) + " (did you mean " + closestKind(count.kind) +
              "? docs/SCENARIOS.md lists the kinds)");
  }
  if (line.size() == 6) count.text = line.word(3);
  static const std::map<std::string, command::ExpectCount::Op, std::less<>> ops = {
      {"==", command::ExpectCount::Equal},   {"!=", command::ExpectCount::NotEqual},
      {">=", command::ExpectCount::AtLeast}, {"<=", command::ExpectCount::AtMost},
      {">", command::ExpectCount::Greater},  {"<", command::ExpectCount::Less}};
  const std::size_t opIndex = line.size() - 2;
  const auto op = ops.find(line.word(opIndex));
  if (op == ops.end()) line.fail("bad comparison " + quote(line.word(opIndex)) + " (use ==, !=, >=, <=, > or <)");
  count.op = op->second;
  auto n = parseInteger(line.word(opIndex + 1));
  if (!n || *n < 0) line.fail("bad count " + quote(line.word(opIndex + 1)) + ": expected a whole number");
  count.n = *n;
  return count;
}

Command parseSetting(Line& line, const ParseContext&) {
  command::ExpectSetting setting{line.word(2), std::nullopt};
  if (line.word(3) != "absent" || line[3].quoted) setting.value = line.value(3);
  return setting;
}

Command parsePrefs(Line& line, const ParseContext&) {
  command::ExpectPrefs prefs{line.word(2), std::nullopt};
  if (line.word(3) != "absent" || line[3].quoted) prefs.value = line.value(3);
  return prefs;
}

command::ExpectToggle toggleExpectation(const Line& line, command::ExpectToggle::What what) {
  command::ExpectToggle expect;
  expect.identifier = toggleWord(line, 2);
  expect.what = what;
  return expect;
}

Command parseToggleSelected(Line& line, const ParseContext&) {
  command::ExpectToggle expect = toggleExpectation(line, command::ExpectToggle::Selected);
  expect.selected = line.word(3) == "selected";
  return expect;
}

quartzcore::Color colourWord(const Line& line, std::size_t i) {
  auto color = colorNamed(line.word(i));
  if (!color) {
    line.fail("bad colour " + quote(line.word(i)) +
              ": expected clear, or RRGGBB or \"#RRGGBB\" with an optional :ALPHA (0 to 1)");
  }
  return *color;
}

Command parseToggleBackground(Line& line, const ParseContext&) {
  command::ExpectToggle expect = toggleExpectation(line, command::ExpectToggle::Background);
  expect.color = colourWord(line, 4);
  return expect;
}

Command parseToggleNumber(Line& line, const ParseContext&) {
  const bool radius = line.word(3) == "radius";
  if (radius && line.word(4) == "unset" && !line[4].quoted) return toggleExpectation(line, command::ExpectToggle::RadiusUnset);
  command::ExpectToggle expect =
      toggleExpectation(line, radius ? command::ExpectToggle::Radius : command::ExpectToggle::Scale);
  expect.number = line.number(4, radius ? "radius" : "scale");
  return expect;
}

Command parseToggleHighlight(Line& line, const ParseContext&) {
  const std::string& state = line.word(4);
  if (state != "hidden" && state != "shown") line.fail("expected hidden or shown, got " + quote(state));
  command::ExpectToggle expect = toggleExpectation(line, command::ExpectToggle::Highlight);
  expect.hidden = state == "hidden";
  return expect;
}

Command parseToggleSelectedColor(Line& line, const ParseContext&) {
  command::ExpectToggle expect = toggleExpectation(line, command::ExpectToggle::SelectedColor);
  if (line.word(4) != "none" || line[4].quoted) expect.color = colourWord(line, 4);
  return expect;
}

Command parseToggleGlyph(Line& line, const ParseContext&) {
  const std::string& state = line.word(4);
  if (state != "selected" && state != "unselected") line.fail("expected selected or unselected, got " + quote(state));
  const std::string& image = line.word(5);
  if (image != "ON" && image != "OFF" && image != "none") {
    line.fail("unknown glyph " + quote(image) + " (ON, OFF: the module's images, or none)");
  }
  command::ExpectToggle expect = toggleExpectation(line, command::ExpectToggle::Glyph);
  expect.selected = state == "selected";
  expect.image = image;
  return expect;
}

Command parseVerbose(Line& line, const ParseContext&) { return command::Verbose{line.size() == 1 || line.onOff(1)}; }
Command parseShowHomeGestures(Line&, const ParseContext&) { return command::ShowHomeGestures{}; }

constexpr CommandRow kRows[] = {
    {"verbose", When::Anywhere, 0, 1, "verbose [on|off]",
     "from this line on, a `query` event for each question the tweak asks the host (Low Power Mode, `screenIsOn`, "
     "`hasCurrentCalls`, the toggle's module, ...) with its answer, and a `gesture` event for each delegate question "
     "`gestureRecognizer:shouldRecognizeSimultaneouslyWithGestureRecognizer:` with the two recognizers, the answer "
     "and who gave it (as `--verbose`)",
     parseVerbose},
    {"show home-gestures", When::AfterBoot, 0, 0, "show home-gestures",
     "a line naming the recognizers the home button's configuration holds, by getter, and those attached to the "
     "display, in the order they were attached (`#1` the first)",
     parseShowHomeGestures},
    {"expect display", When::AfterBoot, 1, 1, "expect display on|off", "the display is lit / dark", parseDisplay},
    {"expect lockscreen|lock-screen", When::AfterBoot, 1, 1, "expect lockscreen up|down",
     "the lock screen is presented (lit or dark) / dismissed", parseLockScreen},
    {"expect sampling", When::AfterBoot, 1, 1, "expect sampling on|off",
     "some motion manager is delivering readings / none is", parseSampling},
    {"expect sampling interval", When::AfterBoot, 1, 1, "expect sampling interval SECONDS",
     "every motion manager delivering has that update interval (`0.1`, `100ms`); fails when none is",
     parseSamplingInterval},
    {"expect reachability", When::AfterBoot, 1, 1, "expect reachability on|off",
     "the host's reachability is active (its window up) / is not", parseReachability},
    {"expect count", When::AfterBoot, 3, 4, "expect count KIND [\"TEXT\"] ==|!=|>=|<=|>|< N",
     "the number of events of that kind (and exactly that text) in the whole timeline so far compares so with N. KIND "
     "is one of the kinds listed under Output; another (`dispaly`) is an error naming the nearest",
     parseCount},
    {"expect setting", When::AfterBoot, 2, 2, "expect setting KEY VALUE|absent",
     "the settings file holds the key with that value, of that kind (`1` is not `1.0` nor `YES`), any kind the file can "
     "hold (`expect setting when <date>2001-01-01T00:00:00Z</date>`) / lacks the key",
     parseSetting},
    {"expect prefs", When::AfterBoot, 2, 2, "expect prefs KEY VALUE|absent",
     "the tweak's in-memory settings `prefs` (read from the library as a debugger reads it) hold the key with that "
     "value, as `expect setting` compares / lack it, or there is no `prefs` (no readable file at the last reload). "
     "After an edit nobody told the tweak of, `prefs` and the file differ",
     parsePrefs},
    {"expect toggle NAME selected|unselected", When::AfterBoot, 0, 0, "expect toggle NAME selected|unselected",
     "the toggle's module answers `isSelected` YES / NO", parseToggleSelected},
    {"expect toggle NAME background", When::AfterBoot, 1, 1, "expect toggle NAME background COLOUR",
     "its view's background colour, as it shows now (mid-animation too): `clear`, or `RRGGBB` / `\"#RRGGBB\"` with an "
     "optional `:ALPHA` (0 to 1), within one step of 255 on every premultiplied component",
     parseToggleBackground},
    {"expect toggle NAME radius", When::AfterBoot, 1, 1, "expect toggle NAME radius N|unset",
     "its view's corner radius in points; `unset`: nobody set one after the host built the view, whose own radius is "
     "19 points",
     parseToggleNumber},
    {"expect toggle NAME scale", When::AfterBoot, 1, 1, "expect toggle NAME scale N",
     "its view's scale, as it shows now, in both directions (within 0.001)", parseToggleNumber},
    {"expect toggle NAME highlight", When::AfterBoot, 1, 1, "expect toggle NAME highlight hidden|shown",
     "its button's highlight view is hidden (`setHidden:` YES) / not", parseToggleHighlight},
    {"expect toggle NAME selected-color", When::AfterBoot, 1, 1, "expect toggle NAME selected-color COLOUR|none",
     "the colour its module's `selectedColor` gives now, which the host tints the selected glyph with (colours as for "
     "`background`); `none`: it gives none. Asks the module, as the host does",
     parseToggleSelectedColor},
    {"expect toggle NAME glyph", When::AfterBoot, 2, 2, "expect toggle NAME glyph selected|unselected ON|OFF|none",
     "which of the module's images the host shows in that state (selected: its `selectedIconGlyph`, or its "
     "`iconGlyph` when it gives none; unselected: its `iconGlyph`), followed through any drawing that scaled it; "
     "`none`: no image. Asks the module, as the host does",
     parseToggleGlyph},
};

}  // namespace

std::span<const CommandRow> expectCommands() { return kRows; }

bool isCountableKind(std::string_view kind) { return core::isEventKind(kind); }

std::string closestKind(std::string_view kind) {
  std::string best;
  int bestDistance = 0;
  for (std::string_view known : core::kEventKinds) {
    const int d = editDistance(kind, known);
    if (best.empty() || d < bestDistance) {
      best = known;
      bestDistance = d;
    }
  }
  return best;
}

std::string describe(const command::ExpectCount& expectation) {
  static const char* const ops[] = {"==", "!=", ">=", "<=", ">", "<"};
  std::string text = "count " + expectation.kind;
  if (expectation.text) text += " " + quote(*expectation.text);
  return text + " " + ops[expectation.op] + " " + std::to_string(expectation.n);
}

namespace command {

bool Verbose::run(Session& session) const {
  core::eventLog().setVerbose(on);
  if (session.booted()) session.noteLine();
  return true;
}

bool ShowHomeGestures::run(Session& session) const {
  const springboard::HomeGestures gestures = session.device().homeGestures();
  // A recognizer as "#N NAME" by its place among the attached, or "NAME (not attached)".
  auto named = [&](id recognizer) {
    const auto at = std::find(gestures.attached.begin(), gestures.attached.end(), recognizer);
    const std::string name = uikit::describeRecognizer(recognizer);
    if (at == gestures.attached.end()) return name + " (not attached)";
    return "#" + std::to_string(at - gestures.attached.begin() + 1) + " " + name;
  };
  std::string held;
  nlohmann::json configuration = nlohmann::json::object();
  for (const auto& [getter, recognizer] : gestures.byGetter) {
    const std::string shown = recognizer ? named(recognizer) : "none";
    held += (held.empty() ? "" : ", ") + getter + " " + shown;
    configuration[getter] = recognizer ? nlohmann::json(shown) : nlohmann::json(nullptr);
  }
  std::string attached;
  nlohmann::json list = nlohmann::json::array();
  for (id recognizer : gestures.attached) {
    attached += (attached.empty() ? "" : ", ") + named(recognizer);
    list.push_back(named(recognizer));
  }
  session.note("home gestures: configuration " + (held.empty() ? std::string("none") : held) + "; attached " +
                   (attached.empty() ? std::string("none") : attached),
               {{"configuration", configuration}, {"attached", list}});
  return true;
}

bool ExpectDisplay::run(Session& session) const {
  const bool lit = session.device().displayOn();
  return session.check(lit == on, onOff(lit));
}

bool ExpectLockScreen::run(Session& session) const {
  const bool shown = session.device().lockScreenUp();
  return session.check(shown == up, shown ? "up" : "down");
}

bool ExpectSampling::run(Session& session) const {
  const int active = coremotion::activeManagers();
  return session.check((active > 0) == on, std::string(onOff(active > 0)) + " (" + std::to_string(active) + " manager(s))");
}

bool ExpectSamplingInterval::run(Session& session) const {
  const std::vector<double> intervals = coremotion::activeUpdateIntervals();
  if (intervals.empty()) return session.check(false, "no sampling");
  std::string got;
  bool holds = true;
  for (double interval : intervals) {
    got += (got.empty() ? "" : ", ") + nlohmann::json(interval).dump() + " s";
    holds = holds && std::fabs(interval - seconds) < 1e-9;
  }
  return session.check(holds, got);
}

bool ExpectReachability::run(Session& session) const {
  const bool active = session.device().reachabilityActive();
  return session.check(active == on, onOff(active));
}

bool ExpectCount::run(Session& session) const {
  const auto& log = session.device().log();
  const long long count = static_cast<long long>(text ? log.count(kind, *text) : log.count(kind));
  bool holds = false;
  switch (op) {
    case Equal: holds = count == n; break;
    case NotEqual: holds = count != n; break;
    case AtLeast: holds = count >= n; break;
    case AtMost: holds = count <= n; break;
    case Greater: holds = count > n; break;
    case Less: holds = count < n; break;
  }
  return session.check(holds, std::to_string(count));
}

bool ExpectSetting::run(Session& session) const {
  const auto settings = session.device().readSettings();
  if (!settings) return session.check(false, "no settings file");
  const auto found = settings->find(key);
  if (found == settings->end()) return session.check(!value, "absent");
  return session.check(value && *value == found->second, describeValue(found->second));
}

bool ExpectPrefs::run(Session& session) const {
  std::string why;
  std::optional<plist::Value> contents;
  if (!readTweakPrefs(contents, why)) session.fail("cannot read the tweak's prefs: " + why);
  if (!contents) return session.check(!value, "no prefs (no readable settings file at the last reload)");
  if (!contents->isDictionary()) return session.check(false, "prefs that are no dictionary");
  const auto found = contents->asDictionary()->find(key);
  if (found == contents->asDictionary()->end()) return session.check(!value, "absent");
  return session.check(value && *value == found->second, describeValue(found->second));
}

bool ExpectToggle::run(Session& session) const {
  if (what == SelectedColor || what == Glyph) {
    const auto shown = session.device().toggleShown(identifier);
    if (!shown) session.missingToggle(identifier);
    if (what == Glyph) {
      const std::string& got = selected ? shown->selectedGlyph : shown->unselectedGlyph;
      return session.check(got == image, got);
    }
    const std::string got = shown->selectedColor ? describeColor(*shown->selectedColor) : "none";
    const bool holds = color && shown->selectedColor ? sameColor(*shown->selectedColor, *color) : !color && !shown->selectedColor;
    return session.check(holds, got);
  }
  const auto look = session.device().toggleLook(identifier);
  if (!look) session.missingToggle(identifier);
  if (what == Selected) return session.check(look->selected == selected, look->selected ? "selected" : "unselected");
  if (!look->loaded) return session.check(false, "a toggle whose view has not loaded: open Control Center first");
  switch (what) {
    case Background: return session.check(sameColor(look->background, *color), describeColor(look->background));
    case Radius:
      return session.check(std::fabs(look->cornerRadius - number) < 1e-6, nlohmann::json(look->cornerRadius).dump());
    case RadiusUnset:
      return session.check(look->radiusUnset, "set: " + nlohmann::json(look->cornerRadius).dump());
    case Scale: {
      const bool holds = std::fabs(look->scaleX - number) < 1e-3 && std::fabs(look->scaleY - number) < 1e-3;
      return session.check(holds, nlohmann::json(look->scaleX).dump() + " x " + nlohmann::json(look->scaleY).dump());
    }
    case Highlight: return session.check(look->highlightHidden == hidden, look->highlightHidden ? "hidden" : "shown");
    case Selected:
    case SelectedColor:
    case Glyph: break;
  }
  return true;
}

}  // namespace command

}  // namespace sim
