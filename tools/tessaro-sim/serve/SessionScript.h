#pragma once
// The scenario a served session saves: the lines it started from, then each line run from
// the web after an `at` of the device time it ran at (written to round-trip exactly), so
// that `tessaro-sim` runs it again to the same events. A file that came as an upload is
// named by the name it came with, to be put beside the saved scenario; an expectation that
// did not hold is kept as a comment, so that the saved run does not stop there.

#include <string>
#include <vector>

namespace sim::serve {

class SessionScript {
 public:
  // The lines before anything from the web: a `settings-file` of --settings, the
  // scenario served.
  void start(const std::string& text) { start_ += text; }
  void line(double time, const std::string& text, bool held);
  // An uploaded file, run as `command` (replay, settings-file, styling-file) of `name`.
  void upload(double time, const std::string& command, const std::string& name);
  std::string text() const;

 private:
  std::string start_;
  std::vector<std::string> lines_;
};

}  // namespace sim::serve
