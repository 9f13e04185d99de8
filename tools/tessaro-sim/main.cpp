// tessaro-sim: runs Tessaro on the stand-in device, through a scenario or a recording, or a
// grid of settings against many recordings, or live in a browser (serve).
// Exit status: 0 ok, 1 an expectation failed (or a sweep's cell did not run), 2 bad input
// (arguments, scenario, recording, a plot or file that cannot be made).

#include "platform/core/DeviceRoot.h"
#include "platform/device/Device.h"
#include "tools/tessaro-sim/DefaultScenario.h"
#include "tools/tessaro-sim/InputFile.h"
#include "tools/tessaro-sim/Plot.h"
#include "tools/tessaro-sim/Replay.h"
#include "tools/tessaro-sim/RootCleanup.h"
#include "tools/tessaro-sim/Runner.h"
#include "tools/tessaro-sim/Scenario.h"
#include "tools/tessaro-sim/SettingsKeys.h"
#include "tools/tessaro-sim/Sweep.h"
#include "tools/tessaro-sim/commands/CommandTable.h"
#include "tools/tessaro-sim/serve/Server.h"
#include "tools/tessaro-sim/recordings/Recording.h"

#include <CLI/CLI.hpp>

#include <unistd.h>

#include <iostream>

namespace {

constexpr int kBadInput = 2;

// Bad input found before anything runs: the message, then status 2.
struct Refusal {
  std::string message;
};

// `--set KEY=VALUE` as a settings entry; a warning (or, strict, a refusal) for a key the
// tweak does not read or a value of the wrong kind.
std::pair<std::string, plist::Value> parseSet(const std::string& set, bool strict) {
  const auto equals = set.find('=');
  if (equals == std::string::npos || equals == 0) throw Refusal{"--set " + set + ": expected KEY=VALUE"};
  std::string problem;
  auto value = sim::parseValueWord(std::string_view(set).substr(equals + 1), problem);
  if (!value) throw Refusal{"--set " + set + ": " + problem};
  const std::string key = set.substr(0, equals);
  if (auto warning = sim::checkSetting(key, *value)) {
    if (strict) throw Refusal{"--set " + set + ": " + *warning + " (--strict)"};
    std::cerr << "warning: --set " << set << ": " << *warning << "\n";
  }
  return {key, *value};
}

plist::Dictionary parseSets(const std::vector<std::string>& sets, bool strict) {
  plist::Dictionary settings;
  for (const std::string& set : sets) {
    auto [key, value] = parseSet(set, strict);
    settings.insert_or_assign(key, value);
  }
  return settings;
}

int runScenarioCommand(const std::string& path, bool json, bool realtime, bool strict, sim::Detail detail,
                       const std::optional<sim::GivenFile>& settingsFile, bool verbose) {
  sim::Scenario scenario;
  if (path.empty()) {
    scenario = sim::parseScenario(sim::kDefaultScenario, "<default>", std::filesystem::current_path(), strict);
  } else {
    const std::string text = sim::readScenarioFile(path);
    scenario = sim::parseScenario(text, path, std::filesystem::path(path).parent_path(), strict);
  }
  // As a first line of the scenario would give it.
  if (settingsFile) {
    scenario.steps.insert(scenario.steps.begin(),
                          sim::Step{0, "settings-file " + settingsFile->path.string(),
                                    sim::command::PutFile{device::kSettingsPath, *settingsFile}});
  }
  if (verbose) scenario.steps.insert(scenario.steps.begin(), sim::Step{0, "verbose", sim::command::Verbose{true}});
  for (const std::string& warning : scenario.warnings) std::cerr << warning << "\n";
  sim::Timeline timeline(std::cout, json ? sim::Format::Json : sim::Format::Text, detail);
  return sim::runScenario(scenario, timeline, std::cerr, realtime);
}

// The program as a batch engine elsewhere should call it.
std::string programPath(const char* argv0) {
  std::error_code error;
  const auto self = std::filesystem::read_symlink("/proc/self/exe", error);
  return error ? std::string(argv0) : self.string();
}

}  // namespace

int main(int argc, char** argv) {
  CLI::App app{"Runs the Tessaro tweak on the stand-in device: a scenario (the built-in one when none is\n"
               "given; see docs/SCENARIOS.md), with `replay` a device-motion recording, with `sweep` a grid\n"
               "of settings against many recordings, with `serve` a live device in the browser (docs/SERVE.md).\n"
               "Options may come before or after the sub-command.\n"
               "Exit status: 0 ok, 1 an expectation failed (a sweep: a cell did not run), 2 bad input."};
  app.set_version_flag("--version", std::string("tessaro-sim ") + TESSARO_VERSION);
  app.require_subcommand(0, 1);

  std::vector<std::string> scenarioPaths;
  bool json = false, realtime = false, quiet = false, showDefault = false, strict = false, commands = false,
       markdown = false, verbose = false;
  std::string keepRoot, settingsPath;
  app.add_option("SCENARIO", scenarioPaths, "Scenario file; the built-in default scenario when none is given");
  app.add_flag("--json", json, "One JSON object a line: {\"time\", \"event\", \"text\", ...}");
  app.add_flag("--realtime", realtime, "Let the device clock follow the wall clock");
  app.add_flag("-q,--quiet", quiet, "Shorter text: hooks that took as a count, no host calls or deliveries; a replay: no header");
  app.add_flag("--verbose", verbose,
               "A scenario: also what the tweak asks the host (query) and each delegate question of the home "
               "button's recognizers (gesture), as a first `verbose` line");
  app.add_flag("--strict", strict, "Unknown settings keys and values of the wrong kind are errors, not warnings");
  app.add_option("--keep-root", keepRoot, "Keep the device's files in DIR (new or empty) instead of removing them");
  app.add_option("--settings", settingsPath,
                 "Boot with this settings file, bytes unchanged (one taken from a phone): a scenario as if its first line "
                 "were `settings-file FILE`; a replay or sweep in place of isEnabled YES, --set on top");
  app.add_flag("--show-default", showDefault, "Print the built-in scenario and exit");
  app.add_flag("--commands", commands, "Print the scenario language's commands and exit (with --json: one object a line)");
  app.add_flag("--markdown", markdown, "With --commands: the tables docs/SCENARIOS.md holds");

  auto* replay = app.add_subcommand("replay", "Replay a device-motion recording (JSON or CSV) over the dark lock screen");
  replay->fallthrough();
  std::string recordingPath, traceCsv, plot;
  std::vector<std::string> sets;
  bool trace = false;
  replay->add_option("RECORDING", recordingPath, "The recording: ResearchKit device-motion JSON, or CSV")->required();
  // One KEY=VALUE an occurrence, so that the recording after it is not taken for another.
  replay->add_option("--set", sets, "A setting on top of isEnabled YES, as KEY=VALUE (repeatable)")->allow_extra_args(false);
  replay->add_flag("--trace", trace, "One line per classification step: the reading, the pose, the smoothing, the decision");
  replay->add_option("--trace-csv", traceCsv, "The classification steps as CSV, into FILE");
  replay->add_option("--plot", plot, "A picture of the run (gnuplot), FILE.png or FILE.svg");

  auto* sweep = app.add_subcommand("sweep", "Every combination of a grid of settings against every recording");
  sweep->fallthrough();
  std::vector<std::string> sweepFiles, grids, sweepSets;
  int jobs = 0;
  double cellSeconds = 600;
  bool csv = false, plan = false, merge = false;
  sweep->add_option("RECORDING", sweepFiles,
                    "Recordings, each may be labelled RECORDING:wake or RECORDING:no-wake (with --merge: the cells' JSON outputs)")
      ->required();
  sweep->add_option("--grid", grids, "KEY=V1,V2,... (repeatable): the values to try")->allow_extra_args(false);
  sweep->add_option("--set", sweepSets, "KEY=VALUE under every cell (repeatable)")->allow_extra_args(false);
  sweep->add_option("--jobs", jobs, "Cells run at once (default: the number of processors)")->check(CLI::Range(1, 256));
  sweep->add_option("--cell-timeout", cellSeconds, "Wall-clock seconds a cell may take before it is stopped")
      ->check(CLI::Range(0.1, 86400.0));
  sweep->add_flag("--csv", csv, "The table as CSV");
  sweep->add_flag("--plan", plan, "Print the cells as JSON lines, each a complete `tessaro-sim replay` command");
  sweep->add_flag("--merge", merge, "Read the cells' `replay --json` outputs and print their table");
  std::string labelsFile, sweepPlot, outputs;
  std::vector<std::string> plotKeys;
  bool rank = false;
  sweep->add_option("--labels", labelsFile, "CSV of recording,expect[,by]: wake or no-wake, and the device time a wake must come by");
  sweep->add_flag("--rank", rank, "Settings rows best first: fewest missed plus false wakes, then the fastest wakes (needs labels)");
  sweep->add_option("--plot", sweepPlot, "A picture of the missed and false wakes over the grid (gnuplot), FILE.png or FILE.svg");
  sweep->add_option("--plot-keys", plotKeys, "The one or two grid keys --plot draws over (A,B)")->delimiter(',');
  sweep->add_option("--outputs", outputs, "Keep each cell's `replay --json` output in DIR, as cell-0001.jsonl, ...");

  auto* serve = app.add_subcommand("serve", "A live device in the browser: boots it (the scenario's lines first), its "
                                            "clock following the wall clock, and serves its page on 127.0.0.1");
  serve->fallthrough();
  std::string servePath, listen = "127.0.0.1";
  int port = sim::serve::kDefaultPort;
  bool openPage = false;
  serve->add_option("SCENARIO", servePath, "A scenario whose lines run before the page takes over");
  serve->add_option("--port", port, "The port to serve on (0: any free port; the URL printed says which)")
      ->check(CLI::Range(0, 65535));
  serve->add_option("--listen", listen,
                    "The address to listen on (default 127.0.0.1); any other lets whoever reaches it drive the device");
  serve->add_flag("--open", openPage, "Start the desktop's browser on the page");

  try {
    app.parse(argc, argv);
  } catch (const CLI::ParseError& error) {
    const int status = app.exit(error);
    return status == 0 ? 0 : kBadInput;
  }

  try {
    if (showDefault) {
      std::cout << sim::kDefaultScenario;
      return 0;
    }
    if (markdown && !commands) throw Refusal{"--markdown prints the commands' tables: give it with --commands"};
    if (commands) {
      if (json && markdown) throw Refusal{"--json and --markdown: choose one"};
      sim::printCommands(std::cout, json       ? sim::TableFormat::Json
                                    : markdown ? sim::TableFormat::Markdown
                                               : sim::TableFormat::Text);
      return 0;
    }
    if (scenarioPaths.size() > 1) throw Refusal{"one scenario at a time: one device boots a process"};
    if (!scenarioPaths.empty() && (replay->parsed() || sweep->parsed() || serve->parsed())) {
      throw Refusal{"a scenario (" + scenarioPaths.front() + ") and a sub-command: give one or the other"};
    }
    std::optional<sim::GivenFile> settingsFile;
    if (!settingsPath.empty()) {
      try {
        settingsFile = sim::readGivenFile(settingsPath, "settings file");
      } catch (const sim::ScenarioError& error) {
        throw Refusal{std::string("--settings: ") + error.what()};
      }
    }
    if (verbose && (replay->parsed() || sweep->parsed())) {
      throw Refusal{"--verbose shows a scenario's queries and delegate questions: a replay shows its own lines (--trace)"};
    }
    if (sweep->parsed()) {
      if (!keepRoot.empty()) throw Refusal{"--keep-root keeps one device's files; a sweep boots one device a cell"};
      if (json && csv) throw Refusal{"--json and --csv: choose one"};
      sim::AnswerOptions answer;
      answer.output = json ? sim::SweepOutput::Json : csv ? sim::SweepOutput::Csv : sim::SweepOutput::Text;
      answer.labels = sim::labelSources(labelsFile, sweepFiles);
      answer.rank = rank;
      answer.plot = sweepPlot;
      answer.plotKeys = plotKeys;
      if (sweepFiles.empty()) throw Refusal{"sweep: no recording given, only labels"};
      if (merge) {
        if (plan || !grids.empty() || !sweepSets.empty() || !outputs.empty() || settingsFile) {
          throw Refusal{"--merge reads outputs: no --plan, --grid, --set, --outputs or --settings"};
        }
        std::vector<std::filesystem::path> files(sweepFiles.begin(), sweepFiles.end());
        return sim::mergeCells(files, answer, std::cout, std::cerr);
      }
      if (plan && !outputs.empty()) throw Refusal{"--plan runs nothing: its commands write the outputs; no --outputs"};
      sim::SweepOptions options;
      options.recordings.assign(sweepFiles.begin(), sweepFiles.end());
      for (const std::string& text : grids) {
        std::string problem;
        auto axis = sim::parseGridAxis(text, problem);
        if (!axis) throw Refusal{"--grid " + text + ": " + problem};
        for (const plist::Value& value : axis->values) {
          if (auto warning = sim::checkSetting(axis->key, value)) {
            if (strict) throw Refusal{"--grid " + text + ": " + *warning + " (--strict)"};
            std::cerr << "warning: --grid " << text << ": " << *warning << "\n";
            break;
          }
        }
        options.grid.push_back(std::move(*axis));
      }
      options.settings = parseSets(sweepSets, strict);
      options.settingsFile = settingsFile;
      options.jobs = jobs > 0 ? jobs : std::max(1, static_cast<int>(::sysconf(_SC_NPROCESSORS_ONLN)));
      options.cellSeconds = cellSeconds;
      options.outputs = outputs;
      options.answer = answer;
      options.progress = isatty(STDERR_FILENO) == 1 && !quiet;
      if (plan) {
        sim::printPlan(options, programPath(argv[0]), std::cout);
        return 0;
      }
      return sim::runSweep(options, std::cout, std::cerr);
    }

    // One device in this process: its files are kept, or removed however the run ends.
    if (!keepRoot.empty()) {
      const std::string problem = sim::prepareKeptRoot(keepRoot);
      if (!problem.empty()) throw Refusal{problem};
      core::setRoot(keepRoot);
    } else {
      sim::removeRootOnSignals(core::root());
    }

    if (serve->parsed()) {
      if (json || realtime || verbose || quiet) {
        throw Refusal{"serve: the page shows the timeline and keeps the clock; no --json, --realtime, --verbose or --quiet"};
      }
      sim::serve::ServeOptions options;
      options.scenario = servePath;
      options.settingsFile = settingsFile;
      options.port = port;
      options.listen = listen;
      options.open = openPage;
      options.strict = strict;
      return sim::serve::runServe(options, std::cout, std::cerr);
    }
    if (replay->parsed()) {
      sim::ReplayOptions options;
      options.recording = recordingPath;
      options.format = json ? sim::Format::Json : sim::Format::Text;
      options.realtime = realtime;
      options.quiet = quiet;
      options.trace = trace;
      options.traceCsv = traceCsv;
      options.plot = plot;
      options.settings = parseSets(sets, strict);
      options.settingsFile = settingsFile;
      return sim::runReplay(options, std::cout, std::cerr, isatty(STDERR_FILENO) == 1);
    }
    const std::string path = scenarioPaths.empty() ? std::string() : scenarioPaths.front();
    return runScenarioCommand(path, json, realtime, strict, quiet ? sim::Detail::Quiet : sim::Detail::Normal,
                              settingsFile, verbose);
  } catch (const Refusal& refusal) {
    std::cerr << refusal.message << "\n";
  } catch (const sim::ScenarioError& error) {
    std::cerr << error.what() << "\n";
  } catch (const recordings::RecordingError& error) {
    std::cerr << error.what() << "\n";
  } catch (const sim::PlotError& error) {
    std::cerr << error.what() << "\n";
  } catch (const std::filesystem::filesystem_error& error) {
    std::cerr << error.what() << "\n";
  } catch (const std::runtime_error& error) {
    std::cerr << error.what() << "\n";
  }
  return kBadInput;
}
