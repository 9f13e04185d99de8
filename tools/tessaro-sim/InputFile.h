#pragma once
// Files the user names (a scenario, a settings file taken from a phone): only a regular file
// of at most a given size is read, so that a FIFO, a device or a directory is refused at
// once instead of waited on or read for ever.

#include <cstddef>
#include <filesystem>
#include <string>
#include <string_view>

namespace sim {

// The whole file, or ScenarioError "PATH: ..." naming why not (missing, a directory, not a
// regular file, unreadable, larger than `maxBytes`). `what` names the file in the message:
// "cannot read the scenario: ...".
std::string readInputFile(const std::filesystem::path& path, std::string_view what, std::size_t maxBytes);

// A file given whole (a settings file taken from a phone), its bytes as they are.
struct GivenFile {
  std::filesystem::path path;  // as given, for messages
  std::string bytes;
};
// A settings or styling file: read as readInputFile does, up to the largest property list
// the device reads.
GivenFile readGivenFile(const std::filesystem::path& path, std::string_view what);

}  // namespace sim
