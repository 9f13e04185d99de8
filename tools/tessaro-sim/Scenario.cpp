#include "tools/tessaro-sim/Scenario.h"

#include "tools/tessaro-sim/SettingsKeys.h"
#include "tools/tessaro-sim/commands/CommandTable.h"

#include <nlohmann/json.hpp>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdint>
#include <cstring>

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
  const auto fail = [&](const std::string& why) -> ScenarioError { return ScenarioError(path.string() + ": " + why); };
  // Non-blocking, so that a FIFO with no writer is refused instead of waited on.
  const int fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
  if (fd < 0) throw fail(std::string("cannot read the scenario: ") + std::strerror(errno));
  struct stat info {};
  std::string text;
  try {
    if (::fstat(fd, &info) != 0) throw fail(std::string("cannot read the scenario: ") + std::strerror(errno));
    if (S_ISDIR(info.st_mode)) throw fail("is a directory, not a scenario");
    if (!S_ISREG(info.st_mode)) throw fail("not a regular file; a scenario is read from a file");
    if (static_cast<std::uint64_t>(info.st_size) > kMaxScenarioBytes) {
      throw fail("larger than " + std::to_string(kMaxScenarioBytes) + " bytes: not read");
    }
    text.resize(static_cast<std::size_t>(info.st_size));
    std::size_t done = 0;
    while (done < text.size()) {
      const ssize_t n = ::read(fd, text.data() + done, text.size() - done);
      if (n < 0 && errno == EINTR) continue;
      if (n < 0) throw fail(std::string("cannot read the scenario: ") + std::strerror(errno));
      if (n == 0) break;
      done += static_cast<std::size_t>(n);
    }
    text.resize(done);
  } catch (...) {
    ::close(fd);
    throw;
  }
  ::close(fd);
  return text;
}

}  // namespace sim
