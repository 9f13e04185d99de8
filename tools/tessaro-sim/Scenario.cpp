#include "tools/tessaro-sim/Scenario.h"

#include "tools/tessaro-sim/InputFile.h"
#include "tools/tessaro-sim/SettingsKeys.h"
#include "tools/tessaro-sim/commands/CommandTable.h"

namespace sim {

Scenario parseScenario(std::string_view text, const std::string& name, const std::filesystem::path& directory,
                       bool strict) {
  Scenario scenario;
  scenario.name = name;
  scenario.strict = strict;
  checkUtf8(text, name);
  std::vector<std::pair<std::size_t, std::string>> settingProblems;
  ParseContext context{directory, std::nullopt, false, 0};  // its clock: only waits, gestures and `at` move it

  std::size_t number = 0;
  while (!text.empty()) {
    ++number;
    const auto newline = text.find('\n');
    const std::string_view raw = text.substr(0, newline);
    text.remove_prefix(newline == std::string_view::npos ? text.size() : newline + 1);

    auto parsed = parseLine(raw, scenario.name, number, context);
    if (!parsed) continue;
    const Command& command = parsed->step.command;
    if (parsed->when == When::AfterBoot && !context.bootLine) {
      context.bootLine = number;
      context.bootImplicit = true;
      scenario.steps.push_back({number, "boot", command::Boot{true}});
    }
    if (const auto* boot = std::get_if<command::Boot>(&command)) {
      context.bootLine = number;
      context.bootImplicit = boot->implicit;
    }
    if (std::holds_alternative<command::Strict>(command)) scenario.strict = true;
    if (const auto* set = std::get_if<command::Set>(&command)) {
      auto problem = set->value ? checkSetting(set->key, *set->value) : checkSettingKey(set->key);
      if (problem) settingProblems.emplace_back(number, *problem);
    }
    if (const auto* count = std::get_if<command::ExpectCount>(&command); count && count->text) {
      scenario.countedTexts.emplace_back(count->kind, *count->text);
    }
    if (const auto* wait = std::get_if<command::Wait>(&command)) context.clock += wait->seconds;
    if (const auto* gesture = std::get_if<command::HomeGesture>(&command)) context.clock += gesture->seconds();
    if (const auto* at = std::get_if<command::At>(&command)) context.clock = at->time;
    scenario.steps.push_back(std::move(parsed->step));
  }
  if (!context.bootLine) scenario.steps.push_back({number, "boot", command::Boot{true}});
  for (const auto& [line, problem] : settingProblems) {
    const std::string where = scenario.name + ":" + std::to_string(line) + ": ";
    if (scenario.strict) throw ScenarioError(where + problem + " (strict)");
    scenario.warnings.push_back(where + "warning: " + problem);
  }
  return scenario;
}

std::string readScenarioFile(const std::filesystem::path& path) {
  return readInputFile(path, "scenario", kMaxScenarioBytes);
}

}  // namespace sim
