// Time: the boot, the device's clock and its run loop.

#include "tools/tessaro-sim/Scenario.h"
#include "tools/tessaro-sim/commands/Families.h"
#include "tools/tessaro-sim/commands/Session.h"

namespace sim {

namespace {

Command parseBoot(Line&, const ParseContext&) { return command::Boot{false}; }
Command parseWait(Line& line, const ParseContext&) { return command::Wait{line.duration(1, "duration")}; }

Command parseAt(Line& line, const ParseContext& context) {
  const double time = line.duration(1, "time", false);
  if (time < context.clock) {
    line.fail("at " + nlohmann::json(time).dump() + " s lies in the past: the device is at " +
              nlohmann::json(context.clock).dump() + " s here");
  }
  if (time - context.clock > kMaxLineSeconds) {
    line.fail("at " + nlohmann::json(time).dump() + " s lies more than a day (" + nlohmann::json(kMaxLineSeconds).dump() +
              " s) ahead of " + nlohmann::json(context.clock).dump() + " s; get there over several lines");
  }
  return command::At{time};
}

Command parseStep(Line&, const ParseContext&) { return command::Turn{}; }
Command parseRealtime(Line&, const ParseContext&) { return command::Realtime{}; }
Command parseIdleSleep(Line&, const ParseContext&) { return command::IdleSleep{}; }

constexpr CommandRow kRows[] = {
    {"boot", When::BeforeBoot, 0, 0, "boot",
     "boots now; without it the device boots just before the first line that needs it, or at the end of a scenario of "
     "settings alone",
     parseBoot},
    {"wait", When::AfterBoot, 1, 2, "wait DURATION", "runs the device for that long", parseWait},
    {"at", When::AfterBoot, 1, 2, "at TIME",
     "runs the device until that device time (seconds since boot, units as for `wait`); a time already past is an error",
     parseAt},
    {"step", When::AfterBoot, 0, 0, "step",
     "exactly one turn of the main run loop: the clock moves on to the earliest work waiting (if that lies ahead) and "
     "the work waiting and due at the turn's start runs; work it adds waits for a later turn. Noted as `step: N pieces "
     "of work ran`",
     parseStep},
    {"realtime", When::BeforeBoot, 0, 0, "realtime", "the device clock follows the wall clock (as `--realtime`)",
     parseRealtime},
    {"idle-sleep", When::BeforeBoot, 0, 0, "idle-sleep",
     "the dark device sleeps once the idle-sleep window SpringBoard was granted has passed: no timer fires and no "
     "reading arrives until the display next turns on (then overdue one-shot timers fire, repeating ones skip the "
     "missed ticks). Off by default",
     parseIdleSleep},
};

}  // namespace

std::span<const CommandRow> timeCommands() { return kRows; }

namespace command {

bool Boot::run(Session& session) const {
  session.boot();
  return true;
}

bool Wait::run(Session& session) const {
  session.device().runFor(seconds);
  return true;
}

bool At::run(Session& session) const {
  session.device().runUntil(time);
  return true;
}

bool Turn::run(Session& session) const {
  const double before = session.now();
  const std::size_t ran = session.device().runTurn();
  session.followRecording();
  std::string text = "step: " + std::to_string(ran) + (ran == 1 ? " piece" : " pieces") + " of work ran";
  if (ran == 0) text = "step: nothing waits to run";
  else if (session.now() > before) text += " (the clock moved on to it)";
  session.note(text, {{"ran", ran}});
  return true;
}

bool Realtime::run(Session& session) const {
  session.bootOptions().realtime = true;
  return true;
}

bool IdleSleep::run(Session& session) const {
  session.bootOptions().sleepsWhenIdle = true;
  return true;
}

}  // namespace command

}  // namespace sim
