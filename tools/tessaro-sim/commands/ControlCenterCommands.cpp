// Control Center and drawing: the user's Control Center and its toggles, pictures of the
// screen and plots of a run, and what decides how they look (the phone, the random seed).

#include "tools/tessaro-sim/ToggleVocabulary.h"
#include "tools/tessaro-sim/Words.h"
#include "tools/tessaro-sim/commands/Families.h"
#include "tools/tessaro-sim/commands/Session.h"

namespace sim {

std::string toggleWord(const Line& line, std::size_t i) {
  if (auto identifier = toggleNamed(line.word(i))) return *identifier;
  std::string names;
  for (const std::string& name : toggleNames()) names += (names.empty() ? "" : ", ") + name;
  line.fail("unknown toggle " + quote(line.word(i)) + " (" + names + ", or a module identifier)");
}

namespace {

// A PNG file beside the scenario.
std::filesystem::path pictureFile(const Line& line, std::size_t i, const std::filesystem::path& directory) {
  const std::string& name = line.word(i);
  if (name.size() < 5 || !name.ends_with(".png")) line.fail("a snapshot is a .png file, got " + quote(name));
  return directory / name;
}

Command parseOpen(Line&, const ParseContext&) { return command::ControlCenter{true}; }
Command parseClose(Line&, const ParseContext&) { return command::ControlCenter{false}; }
Command parseTap(Line& line, const ParseContext&) { return command::TapToggle{toggleWord(line, 2)}; }

Command parseSnapshot(Line& line, const ParseContext& context) {
  if (line.size() == 2) return command::Snapshot{std::nullopt, pictureFile(line, 1, context.directory)};
  if (line.size() == 3 && line.word(1) == "home-screen") {
    return command::Snapshot{std::nullopt, pictureFile(line, 2, context.directory), true};
  }
  if (line.size() != 4 || line.word(1) != "toggle") line.fail(line.usage());
  return command::Snapshot{toggleWord(line, 2), pictureFile(line, 3, context.directory)};
}

Command parsePlot(Line& line, const ParseContext& context) {
  const std::string& file = line.word(1);
  if (!(file.size() > 4 && (file.ends_with(".png") || file.ends_with(".svg")))) {
    line.fail("a plot is a .png or .svg file, got " + quote(file));
  }
  return command::PlotFile{context.directory / file};
}

Command parseSeed(Line& line, const ParseContext&) {
  auto seed = parseInteger(line.word(1));
  if (!seed || *seed < 0 || line[1].quoted) line.fail("bad seed " + quote(line.word(1)) + ": expected a whole number");
  return command::Seed{static_cast<std::uint64_t>(*seed)};
}

Command parseScreen(Line& line, const ParseContext&) {
  if (line.word(1) != "4.7" && line.word(1) != "5.5") line.fail("unknown screen " + quote(line.word(1)) + " (4.7 or 5.5)");
  return command::ScreenSize{line.word(1) == "5.5"};
}

constexpr CommandRow kRows[] = {
    {"open control-center", When::AfterBoot, 0, 0, "open control-center",
     "the user opens Control Center: its overlay begins its presentation, inside which each toggle's view loads the "
     "first time and refreshes; already open: a note",
     parseOpen},
    {"close control-center", When::AfterBoot, 0, 0, "close control-center",
     "the user closes Control Center; already closed: a note", parseClose},
    {"tap toggle", When::AfterBoot, 1, 1, "tap toggle NAME",
     "the user taps a toggle: its module gets `setSelected:` with the opposite of `isSelected`, then its view "
     "refreshes. Refused, with a note, while Control Center is closed",
     parseTap},
    {"snapshot", When::AfterBoot, 1, 3, "snapshot FILE.png | snapshot home-screen FILE.png | snapshot toggle NAME FILE.png",
     "a PNG of the screen at its scale as it shows now (black while the display is dark, otherwise the lock screen or "
     "the home screen, with Control Center over it when open and animations at their present values); of the home "
     "screen's window whatever covers it; or of one toggle's view, its scale and opacity applied, on a transparent "
     "canvas the size of its frame (its view must have loaded)",
     parseSnapshot},
    {"plot", When::Anywhere, 1, 1, "plot FILE.png|FILE.svg",
     "at the end of the run, a picture of it, as `replay --plot` draws (below), from the readings the device sampled",
     parsePlot},
    {"seed", When::BeforeBoot, 1, 1, "seed N",
     "seeds the device's `arc4random` (a whole number; 1 when not given), so that random toggle colours are the same "
     "every run",
     parseSeed},
    {"screen", When::BeforeBoot, 1, 1, "screen 4.7|5.5",
     "the phone: 4.7-inch, 375 × 667 points at 2× (the default), or 5.5-inch, 414 × 736 at 3×", parseScreen},
};

}  // namespace

std::span<const CommandRow> controlCenterCommands() { return kRows; }

namespace command {

bool ControlCenter::run(Session& session) const {
  const bool done = open ? session.device().openControlCenter() : session.device().closeControlCenter();
  if (!done) session.note(std::string("Control Center is already ") + (open ? "open" : "closed"));
  return true;
}

bool TapToggle::run(Session& session) const {
  switch (session.device().tapToggle(identifier)) {
    case controlcenter::Tap::Tapped: break;
    case controlcenter::Tap::NotPresented: session.note("tap refused: Control Center is not open"); break;
    case controlcenter::Tap::NoSuchToggle: session.missingToggle(identifier);
  }
  return true;
}

bool Snapshot::run(Session& session) const {
  std::string why;
  device::Device& device = session.device();
  const bool written = toggle       ? device.snapshotToggle(*toggle, file, why)
                       : homeScreen ? device.snapshotHomeScreen(file, why)
                                    : device.snapshot(file, why);
  if (!written) session.fail("cannot write the snapshot " + file.string() + ": " + why);
  return true;
}

bool PlotFile::run(Session& session) const {
  session.addPlot(file);
  return true;
}

bool Seed::run(Session& session) const {
  session.bootOptions().randomSeed = seed;
  return true;
}

bool ScreenSize::run(Session& session) const {
  session.bootOptions().screen = fivePointFive ? uikit::Screen::FivePointFiveInch : uikit::Screen::FourPointSevenInch;
  return true;
}

}  // namespace command

}  // namespace sim
