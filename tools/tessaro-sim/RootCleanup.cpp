#include "tools/tessaro-sim/RootCleanup.h"

#include <dirent.h>
#include <fcntl.h>
#include <signal.h>
#include <sys/syscall.h>
#include <unistd.h>

#include <cstring>
#include <system_error>

namespace sim {

namespace {

char rootPath[4096];

// Removes what `directory` (an open descriptor) holds, depth first. Plain system calls only:
// this runs inside a signal handler.
void removeContents(int directory, int depth) {
  if (depth > 64) return;
  alignas(8) char buffer[4096];
  for (;;) {
    const long n = ::syscall(SYS_getdents64, directory, buffer, sizeof buffer);
    if (n <= 0) return;
    bool removedAny = false;
    for (long offset = 0; offset < n;) {
      // The kernel's records have the layout of glibc's dirent64.
      const auto* entry = reinterpret_cast<const struct dirent64*>(buffer + offset);
      offset += entry->d_reclen;
      const char* name = entry->d_name;
      if (std::strcmp(name, ".") == 0 || std::strcmp(name, "..") == 0) continue;
      if (::unlinkat(directory, name, 0) == 0) {
        removedAny = true;
        continue;
      }
      const int child = ::openat(directory, name, O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
      if (child < 0) continue;
      removeContents(child, depth + 1);
      ::close(child);
      if (::unlinkat(directory, name, AT_REMOVEDIR) == 0) removedAny = true;
    }
    // Entries removed while reading shift the listing: read it again from the start.
    if (removedAny) ::lseek(directory, 0, SEEK_SET);
    else return;
  }
}

void onSignal(int signal) {
  const int directory = ::open(rootPath, O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
  if (directory >= 0) {
    removeContents(directory, 0);
    ::close(directory);
    ::rmdir(rootPath);
  }
  struct sigaction fallback {};
  fallback.sa_handler = SIG_DFL;
  ::sigaction(signal, &fallback, nullptr);
  ::raise(signal);
}

}  // namespace

void removeRootOnSignals(const std::filesystem::path& root) {
  const std::string path = root.string();
  if (path.size() >= sizeof rootPath || path.empty() || path == "/") return;
  std::memcpy(rootPath, path.c_str(), path.size() + 1);
  struct sigaction action {};
  action.sa_handler = &onSignal;
  sigemptyset(&action.sa_mask);
  for (int signal : {SIGINT, SIGTERM, SIGHUP}) ::sigaction(signal, &action, nullptr);
}

std::string prepareKeptRoot(const std::filesystem::path& directory) {
  std::error_code error;
  if (directory.empty()) return "--keep-root needs a directory";
  const auto status = std::filesystem::status(directory, error);
  if (error && error != std::errc::no_such_file_or_directory) return directory.string() + ": " + error.message();
  if (!std::filesystem::exists(status)) {
    if (!std::filesystem::create_directories(directory, error) && error) return directory.string() + ": " + error.message();
    return "";
  }
  if (!std::filesystem::is_directory(status)) return directory.string() + ": not a directory";
  if (!std::filesystem::is_empty(directory, error) || error) {
    return directory.string() + ": not empty; --keep-root needs a new or empty directory";
  }
  return "";
}

}  // namespace sim
