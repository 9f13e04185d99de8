#include "tools/tessaro-sim/Timeline.h"

#include <cmath>
#include <cstdio>

namespace sim {

namespace {

bool skippedHook(const core::Event& event) {
  return event.kind == "hook" && event.fields.value("result", "").starts_with("skipped");
}

// A recognizer returning to possible once a gesture is over: every press cycle has them.
bool gestureReset(const core::Event& event) {
  return event.kind == "gesture" && event.fields.value("to", "") == "possible";
}

// The text line: an event that says who caused it ("by") says so.
std::string textOf(const core::Event& event) {
  if (!event.fields.is_object()) return event.text;
  const auto by = event.fields.find("by");
  if (by == event.fields.end() || !by->is_string()) return event.text;
  return event.text + " (by " + by->get<std::string>() + ")";
}

}  // namespace

Timeline::Timeline(std::ostream& out, Format format, Detail detail) : out_(out), format_(format), detail_(detail) {}

double Timeline::rounded(double time) {
  if (!std::isfinite(time)) return time;
  const double r = std::round(time * 1e6) / 1e6;
  return r == 0 ? 0.0 : r;  // no "-0.0"
}

nlohmann::ordered_json Timeline::toJson(const core::Event& event) {
  nlohmann::ordered_json line = {{"time", rounded(event.time)}, {"event", event.kind}, {"text", event.text}};
  if (event.fields.is_object()) {
    // The line's own keys win over a field of the same name.
    for (const auto& [key, value] : event.fields.items()) {
      if (!line.contains(key)) line[key] = nlohmann::ordered_json(value);
    }
  }
  return line;
}

std::string Timeline::toText(double time, const std::string& kind, const std::string& text) {
  char prefix[64];
  // Wide enough for the longest kind, "notification.delivered".
  std::snprintf(prefix, sizeof prefix, "%9.3f  %-22s ", time, kind.c_str());
  return prefix + text;
}

void Timeline::event(const core::Event& event) {
  if (format_ == Format::Json) {
    print(event.time, event.kind, event.text, toJson(event));
    return;
  }
  if (detail_ == Detail::Quiet) {
    if (event.kind == "hook" && !skippedHook(event)) {
      if (hooks_ == 0) hooksTime_ = event.time;
      ++hooks_;
      return;
    }
    if (event.kind != "hook") flush();
    if (event.kind == "host" || event.kind == "notification.delivered" || gestureReset(event)) return;
  }
  print(event.time, event.kind, textOf(event), nullptr);
}

void Timeline::note(double time, const std::string& text, nlohmann::json fields) {
  emit(time, "scenario", text, nlohmann::ordered_json(fields));
}

void Timeline::emit(double time, const std::string& kind, const std::string& text, const nlohmann::ordered_json& fields) {
  flush();
  nlohmann::ordered_json line = nullptr;
  if (format_ == Format::Json) {
    line = {{"time", rounded(time)}, {"event", kind}, {"text", text}};
    for (const auto& [key, value] : fields.items()) {
      if (!line.contains(key)) line[key] = value;
    }
  }
  print(time, kind, text, line);
}

void Timeline::flush() {
  if (hooks_ == 0) return;
  const std::string text = std::to_string(hooks_) + " methods hooked or added";
  hooks_ = 0;
  print(hooksTime_, "hook", text, nullptr);
}

void Timeline::print(double time, const std::string& kind, const std::string& text, const nlohmann::ordered_json& json) {
  if (beforeLine_) beforeLine_();
  if (format_ == Format::Json) {
    out_ << json.dump(-1, ' ', false, nlohmann::json::error_handler_t::replace) << '\n';
  } else {
    out_ << toText(time, kind, text) << '\n';
  }
  out_.flush();
}

}  // namespace sim
