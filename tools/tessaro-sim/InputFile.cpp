#include "tools/tessaro-sim/InputFile.h"

#include "platform/plist/PropertyList.h"
#include "tools/tessaro-sim/Scenario.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdint>
#include <cstring>

namespace sim {

std::string readInputFile(const std::filesystem::path& path, std::string_view what, std::size_t maxBytes) {
  const std::string name(what);
  const auto fail = [&](const std::string& why) -> ScenarioError { return ScenarioError(path.string() + ": " + why); };
  // Non-blocking, so that a FIFO with no writer is refused instead of waited on.
  const int fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
  if (fd < 0) throw fail(std::string("cannot read the " + name + ": ") + std::strerror(errno));
  struct stat info {};
  std::string text;
  try {
    if (::fstat(fd, &info) != 0) throw fail(std::string("cannot read the " + name + ": ") + std::strerror(errno));
    if (S_ISDIR(info.st_mode)) throw fail("is a directory, not a " + name);
    if (!S_ISREG(info.st_mode)) throw fail("not a regular file; a " + name + " is read from a file");
    if (static_cast<std::uint64_t>(info.st_size) > maxBytes) {
      throw fail("larger than " + std::to_string(maxBytes) + " bytes: not read");
    }
    text.resize(static_cast<std::size_t>(info.st_size));
    std::size_t done = 0;
    while (done < text.size()) {
      const ssize_t n = ::read(fd, text.data() + done, text.size() - done);
      if (n < 0 && errno == EINTR) continue;
      if (n < 0) throw fail(std::string("cannot read the " + name + ": ") + std::strerror(errno));
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

GivenFile readGivenFile(const std::filesystem::path& path, std::string_view what) {
  return GivenFile{path, readInputFile(path, what, plist::kMaxFileSize)};
}

}  // namespace sim
