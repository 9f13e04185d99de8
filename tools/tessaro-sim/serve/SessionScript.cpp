#include "tools/tessaro-sim/serve/SessionScript.h"

#include <nlohmann/json.hpp>

namespace sim::serve {

namespace {

std::string at(double time) { return "at " + nlohmann::json(time).dump(); }

}  // namespace

void SessionScript::line(double time, const std::string& text, bool held) {
  lines_.push_back(at(time));
  lines_.push_back(held ? text : "# " + text + "    (did not hold here)");
}

void SessionScript::upload(double time, const std::string& command, const std::string& name) {
  lines_.push_back(at(time));
  lines_.push_back("# uploaded from the browser: put " + name + " beside this scenario");
  lines_.push_back(command + " \"" + name + "\"");
}

std::string SessionScript::text() const {
  std::string text = "# A session of tessaro-sim serve; run it again with tessaro-sim FILE.\n";
  text += start_;
  if (!start_.empty() && start_.back() != '\n') text += '\n';
  if (!lines_.empty()) text += "# from the browser\n";
  for (const std::string& line : lines_) text += line + '\n';
  return text;
}

}  // namespace sim::serve
