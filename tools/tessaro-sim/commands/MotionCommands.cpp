// Motion: the world the device-motion sensor reads, pose by pose, or from a recording.

#include "platform/hardware/MotionWorld.h"
#include "tools/tessaro-sim/MotionVocabulary.h"
#include "tools/tessaro-sim/commands/Families.h"
#include "tools/tessaro-sim/commands/Session.h"
#include "tools/tessaro-sim/recordings/Recording.h"

#include <cstdio>
#include <limits>

namespace sim {

namespace {

Command parsePose(Line& line, const ParseContext&) { return command::Pose{line.gravity(1, line.size())}; }

Command parseMove(Line& line, const ParseContext&) {
  std::size_t over = 1;
  while (over < line.size() && line.word(over) != "over") ++over;
  if (over == line.size() || over + 1 == line.size()) line.fail(line.usage());
  return command::Move{line.gravity(1, over), line.duration(over + 1, "duration")};
}

Command parseLift(Line& line, const ParseContext&) {
  const hardware::Vector3 raised = *sim::poseNamed("raised");
  if (line.size() == 1) return command::Move{raised, 0.5};
  if (line.word(1) != "over" || line.size() == 2) line.fail(line.usage());
  return command::Move{raised, line.duration(2, "duration")};
}

Command parseShake(Line& line, const ParseContext&) {
  if (line.word(2) != "for") line.fail(line.usage());
  const double g = line.number(1, "strength");
  if (g < 0) line.fail("strength cannot be negative");
  return command::Shake{g, line.duration(3, "duration")};
}

Command parseReplay(Line& line, const ParseContext& context) {
  const std::filesystem::path file = context.directory / line.word(1);
  try {
    return command::Replay{file, recordings::scanRecording(file)};
  } catch (const recordings::RecordingError& error) {
    line.fail(std::string("bad recording: ") + error.what());
  }
}

Command parseNoMotionSensor(Line&, const ParseContext&) { return command::NoMotionSensor{}; }

Command parseAccelerate(Line& line, const ParseContext&) {
  command::Accelerate accelerate{line.vector(1), std::nullopt};
  if (line.size() == 4) return accelerate;
  if (line.word(4) != "for" || line.size() == 5) line.fail(line.usage());
  accelerate.seconds = line.duration(5, "duration");
  return accelerate;
}

Command parseMotionError(Line&, const ParseContext&) { return command::MotionError{}; }

constexpr CommandRow kRows[] = {
    {"pose", When::AfterBoot, 1, 3, "pose NAME | pose X Y Z",
     "the device rests with this gravity from now; names: `face-up` (also `flat`), `face-down`, `raised`, `upright`, "
     "`landscape`; a component may be `nan`, which the sensor reads as not a number",
     parsePose},
    {"move", When::AfterBoot, 3, 6, "move NAME|X Y Z over DURATION",
     "gravity turns from the current pose to this one over the duration, then holds", parseMove},
    {"lift", When::AfterBoot, 0, 2, "lift [over DURATION]", "`move raised over 0.5` (or over the given duration)",
     parseLift},
    {"shake", When::AfterBoot, 3, 4, "shake G for DURATION",
     "a shake of G g on top of the pose, alternating every 0.1 s", parseShake},
    {"accelerate", When::AfterBoot, 3, 6, "accelerate X Y Z [for DURATION]",
     "a user acceleration of X, Y, Z g on top of the pose, until another `accelerate` (`accelerate 0 0 0` ends it) or "
     "`shake`, or for the duration; a component may be `nan`",
     parseAccelerate},
    {"motion-error", When::AfterBoot, 0, 0, "motion-error",
     "the next device-motion delivery hands the handler an error and no reading (the latest reading stays)",
     parseMotionError},
    {"replay", When::AfterBoot, 1, 1, "replay FILE",
     "replays a recording (below) from now, its first reading now; the path is relative to the scenario's directory "
     "(the working directory for the built-in scenario)",
     parseReplay},
    {"no-motion-sensor", When::BeforeBoot, 0, 0, "no-motion-sensor", "`isDeviceMotionAvailable` answers NO",
     parseNoMotionSensor},
};

}  // namespace

std::span<const CommandRow> motionCommands() { return kRows; }

namespace command {

bool Pose::run(Session& session) const {
  hardware::motionWorld().hold(gravity);
  return session.noteLine();
}

bool Move::run(Session& session) const {
  hardware::motionWorld().move(to, seconds);
  return session.noteLine();
}

bool Shake::run(Session& session) const {
  sim::shake(hardware::motionWorld(), g, seconds);
  return session.noteLine();
}

bool Replay::run(Session& session) const {
  hardware::motionWorld().replay(recordings::openRecording(file));
  char text[96];
  std::snprintf(text, sizeof text, ": %lld %s over %.1f s", summary.readings, summary.readings == 1 ? "reading" : "readings",
                summary.seconds());
  session.note(session.step().text + text, {{"readings", summary.readings}});
  return true;
}

bool Accelerate::run(Session& session) const {
  const double until = seconds ? session.now() + *seconds : std::numeric_limits<double>::infinity();
  hardware::motionWorld().accelerate([a = acceleration](double) { return a; }, until);
  return session.noteLine();
}

bool MotionError::run(Session& session) const {
  session.noteLine();
  session.device().failNextMotionDelivery();
  return true;
}

bool NoMotionSensor::run(Session& session) const {
  session.bootOptions().motionSensor = false;
  return true;
}

}  // namespace command

}  // namespace sim
