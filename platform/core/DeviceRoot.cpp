#include "platform/core/DeviceRoot.h"

#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <mutex>
#include <set>
#include <string>
#include <system_error>
#include <vector>

namespace core {

namespace {

struct State {
  std::mutex mutex;
  std::filesystem::path root;
  // The directory made by root() itself, removed at exit by the process that made it: a
  // forked child exiting must not take its parent's device with it.
  std::filesystem::path created;
  pid_t creator = 0;
};

// Never destroyed, so it is still there when the exit handler runs.
State& state() {
  static State* instance = new State;
  return *instance;
}

[[noreturn]] void fatal(const char* what, const std::string& detail) {
  std::fprintf(stderr, "fatal: device root: %s: %s\n", what, detail.c_str());
  std::abort();
}

void removeCreatedRoot() {
  State& s = state();
  if (s.created.empty() || s.creator != ::getpid()) return;
  std::error_code ignored;
  std::filesystem::remove_all(s.created, ignored);
}

std::filesystem::path normalized(const std::filesystem::path& path) {
  std::filesystem::path result = path.lexically_normal();
  // "/a/b/" normalizes with an empty last element; drop it so comparisons work by element.
  if (!result.has_filename() && result.has_relative_path()) result = result.parent_path();
  return result;
}

std::filesystem::path makeTemporaryRoot() {
  const char* tmpdir = std::getenv("TMPDIR");
  std::filesystem::path base = tmpdir && tmpdir[0] == '/' ? tmpdir : "/tmp";
  std::string pattern = (base / "tessaro-device-XXXXXX").string();
  if (::mkdtemp(pattern.data()) == nullptr) fatal("cannot create a temporary directory", pattern);
  return normalized(pattern);
}

}  // namespace

void setRoot(std::filesystem::path root) {
  std::error_code error;
  std::filesystem::path absolute = std::filesystem::absolute(root, error);
  if (root.empty() || error) fatal("unusable root", root.string());
  absolute = normalized(absolute);
  if (absolute == absolute.root_path()) fatal("the host's own root is not a device root", absolute.string());
  State& s = state();
  const std::lock_guard lock(s.mutex);
  s.root = std::move(absolute);
}

const std::filesystem::path& root() {
  State& s = state();
  const std::lock_guard lock(s.mutex);
  if (s.root.empty()) {
    s.root = makeTemporaryRoot();
    if (s.created.empty()) {
      s.created = s.root;
      s.creator = ::getpid();
      std::atexit(removeCreatedRoot);
    }
  }
  return s.root;
}

std::optional<std::filesystem::path> resolve(std::string_view devicePath) {
  if (devicePath.empty() || devicePath.front() != '/') return std::nullopt;
  if (devicePath.find('\0') != std::string_view::npos) return std::nullopt;
  std::vector<std::string_view> parts;
  std::size_t start = 0;
  while (start <= devicePath.size()) {
    const std::size_t slash = std::min(devicePath.find('/', start), devicePath.size());
    const std::string_view part = devicePath.substr(start, slash - start);
    start = slash + 1;
    if (part.empty() || part == ".") continue;
    if (part == "..") {
      if (parts.empty()) return std::nullopt;
      parts.pop_back();
      continue;
    }
    parts.push_back(part);
  }
  std::filesystem::path host = root();
  for (const std::string_view part : parts) host /= std::string(part);
  return host;
}

bool ensureParentDirectories(const std::filesystem::path& hostPath) {
  if (!hostPath.is_absolute()) return false;
  const std::filesystem::path target = normalized(hostPath);
  const std::filesystem::path& base = root();
  // Strictly below the root, element by element: "/tmp/root-other" is not inside "/tmp/root".
  auto element = target.begin();
  for (const auto& rootElement : base) {
    if (element == target.end() || *element != rootElement) return false;
    ++element;
  }
  if (element == target.end()) return false;
  const std::filesystem::path parent = target.parent_path();
  std::error_code error;
  std::filesystem::create_directories(parent, error);
  return std::filesystem::is_directory(parent, error);
}

namespace {
std::set<std::filesystem::path>& unreadablePaths() {
  static auto* paths = new std::set<std::filesystem::path>();
  return *paths;
}
}  // namespace

void setUnreadable(std::string_view devicePath, bool unreadable) {
  const auto hostPath = resolve(devicePath);
  if (!hostPath) return;
  if (unreadable) unreadablePaths().insert(*hostPath);
  else unreadablePaths().erase(*hostPath);
}

bool isUnreadable(const std::filesystem::path& hostPath) { return unreadablePaths().contains(hostPath); }

}  // namespace core
