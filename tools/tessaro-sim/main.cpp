// tessaro-sim: runs Tessaro on the stand-in device, through a scenario or a recording.
// Exit status: 0 ok, 1 an expectation failed, 2 bad input (arguments, scenario, recording).

#include "tools/tessaro-sim/DefaultScenario.h"
#include "tools/tessaro-sim/Replay.h"
#include "tools/tessaro-sim/Runner.h"
#include "tools/tessaro-sim/Scenario.h"
#include "tools/tessaro-sim/recordings/Recording.h"

#include <CLI/CLI.hpp>

#include <unistd.h>

#include <fstream>
#include <iostream>
#include <sstream>

namespace {

constexpr int kBadInput = 2;

std::optional<std::string> readFile(const std::filesystem::path& path) {
  std::ifstream in(path, std::ios::binary);
  if (!in) return std::nullopt;
  std::ostringstream text;
  text << in.rdbuf();
  if (in.bad()) return std::nullopt;
  return text.str();
}

int runScenarioCommand(const std::string& path, bool json, bool realtime, sim::Detail detail) {
  sim::Scenario scenario;
  if (path.empty()) {
    scenario = sim::parseScenario(sim::kDefaultScenario, "<default>", std::filesystem::current_path());
  } else {
    if (std::filesystem::is_directory(path)) throw sim::ScenarioError(path + ": is a directory, not a scenario");
    auto text = readFile(path);
    if (!text) throw sim::ScenarioError(path + ": cannot read the scenario");
    scenario = sim::parseScenario(*text, path, std::filesystem::path(path).parent_path());
  }
  sim::Timeline timeline(std::cout, json ? sim::Format::Json : sim::Format::Text, detail);
  return sim::runScenario(scenario, timeline, std::cerr, realtime);
}

}  // namespace

int main(int argc, char** argv) {
  CLI::App app{"Runs the Tessaro tweak on the stand-in device: a scenario (the built-in one when none is\n"
               "given; see docs/SCENARIOS.md) or, with `replay`, a device-motion recording.\n"
               "Exit status: 0 ok, 1 an expectation failed, 2 bad input."};
  app.require_subcommand(0, 1);

  std::string scenarioPath;
  bool json = false, realtime = false, quiet = false, showDefault = false;
  app.add_option("SCENARIO", scenarioPath, "Scenario file; the built-in default scenario when none is given");
  app.add_flag("--json", json, "One JSON object a line, every event");
  app.add_flag("--realtime", realtime, "Let the device clock follow the wall clock");
  app.add_flag("-q,--quiet", quiet, "Shorter text: hooks that took as a count, no host calls or deliveries");
  app.add_flag("--show-default", showDefault, "Print the built-in scenario and exit");

  auto* replay = app.add_subcommand("replay", "Replay a device-motion recording (JSON or CSV) over the dark lock screen");
  std::string recordingPath;
  std::vector<std::string> sets;
  bool replayJson = false, replayRealtime = false;
  replay->add_option("RECORDING", recordingPath, "The recording: ResearchKit device-motion JSON, or CSV")->required();
  // One KEY=VALUE an occurrence, so that the recording after it is not taken for another.
  replay->add_option("--set", sets, "A setting on top of isEnabled YES, as KEY=VALUE (repeatable)")
      ->allow_extra_args(false);
  replay->add_flag("--json", replayJson, "One JSON object a line; the last is the summary");
  replay->add_flag("--realtime", replayRealtime, "Let the device clock follow the wall clock");

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
    if (replay->parsed()) {
      sim::ReplayOptions options;
      options.recording = recordingPath;
      options.format = replayJson ? sim::Format::Json : sim::Format::Text;
      options.realtime = replayRealtime;
      for (const std::string& set : sets) {
        const auto equals = set.find('=');
        if (equals == std::string::npos || equals == 0) {
          std::cerr << "--set " << set << ": expected KEY=VALUE\n";
          return kBadInput;
        }
        std::string text = set.substr(equals + 1);
        const bool quoted = text.size() >= 2 && text.front() == '"' && text.back() == '"';
        if (quoted) text = text.substr(1, text.size() - 2);
        std::string problem;
        auto value = sim::parseValue(text, quoted, problem);
        if (!value) {
          std::cerr << "--set " << set << ": " << problem << "\n";
          return kBadInput;
        }
        options.settings.insert_or_assign(set.substr(0, equals), *value);
      }
      return sim::runReplay(options, std::cout, std::cerr, isatty(STDERR_FILENO) == 1);
    }
    return runScenarioCommand(scenarioPath, json, realtime, quiet ? sim::Detail::Quiet : sim::Detail::Normal);
  } catch (const sim::ScenarioError& error) {
    std::cerr << error.what() << "\n";
    return kBadInput;
  } catch (const recordings::RecordingError& error) {
    std::cerr << error.what() << "\n";
    return kBadInput;
  }
}
