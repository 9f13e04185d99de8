#pragma once
// The printed timeline: one line an event, as readable text or as JSON objects. Besides the
// device's own events it carries the simulator's notes (kind "scenario"): the motion world's
// changes, expectations met or failed, the end of a run.

#include "platform/core/EventLog.h"

#include <nlohmann/json.hpp>

#include <cstddef>
#include <functional>
#include <ostream>
#include <string>

namespace sim {

enum class Format { Text, Json };

// How much the text shows; JSON always has every event.
//   Normal: every event, one line each.
//   Quiet:  hooks that took as one count (skipped ones still listed), and no host calls,
//           notification deliveries or gesture recognizers returning to possible.
enum class Detail { Normal, Quiet };

class Timeline {
 public:
  Timeline(std::ostream& out, Format format, Detail detail = Detail::Normal);
  Timeline(const Timeline&) = delete;
  Timeline& operator=(const Timeline&) = delete;

  void event(const core::Event& event);
  // A line of the simulator's own, at device time `time`.
  void note(double time, const std::string& text, nlohmann::json fields = nlohmann::json::object());
  // A line of another kind of the simulator's ("settings", "step", "summary"): in JSON
  // {"time", "event": kind, "text", then `fields`}.
  void emit(double time, const std::string& kind, const std::string& text,
            const nlohmann::ordered_json& fields = nlohmann::ordered_json::object());
  Format format() const { return format_; }
  // Prints what is held back (the hook count of a quiet start-up).
  void flush();

  // Runs before each printed line (a progress display clears itself).
  void setBeforeLine(std::function<void()> beforeLine) { beforeLine_ = std::move(beforeLine); }

  // The JSON line of an event: "time", "event", "text", then its fields.
  static nlohmann::ordered_json toJson(const core::Event& event);
  // Device time as the JSON lines give it: rounded to the microsecond.
  static double rounded(double time);
  // "   12.500  display       on"
  static std::string toText(double time, const std::string& kind, const std::string& text);

 private:
  void print(double time, const std::string& kind, const std::string& text, const nlohmann::ordered_json& json);

  std::ostream& out_;
  Format format_;
  Detail detail_;
  std::function<void()> beforeLine_;
  // Quiet: hooks that took, counted until another event comes.
  std::size_t hooks_ = 0;
  double hooksTime_ = 0;
};

}  // namespace sim
