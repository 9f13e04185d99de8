// A sweep's labels file from untrusted bytes: every line is a label, or a LabelError names
// the file and line; nothing else. A label read back from how it is described is the same.

#include "tools/tessaro-sim/Labels.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view text(reinterpret_cast<const char*>(data), size);
  try {
    for (const sim::Label& label : sim::parseLabels(text, "labels.csv")) {
      if (label.recording.empty() || label.where.rfind("labels.csv:", 0) != 0) std::abort();
      if (label.expect.by && (!label.expect.wake || !(*label.expect.by >= 0))) std::abort();
      // The same expectation as a command-line word.
      const auto word = sim::labelWord(label.recording + (label.expect.wake ? ":wake" : ":no-wake"));
      if (!word || word->recording != label.recording || word->expect.wake != label.expect.wake) std::abort();
    }
  } catch (const sim::LabelError& error) {
    if (std::string_view(error.what()).rfind("labels.csv:", 0) != 0) std::abort();
  }
  return 0;
}
