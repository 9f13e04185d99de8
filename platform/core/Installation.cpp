#include "platform/core/Installation.h"

#include <system_error>

namespace core {

std::optional<std::filesystem::path> installationPrefix() {
  static const std::optional<std::filesystem::path> prefix = []() -> std::optional<std::filesystem::path> {
    std::error_code error;
    const auto program = std::filesystem::read_symlink("/proc/self/exe", error);
    if (error) return std::nullopt;
    const auto candidate = program.parent_path().parent_path();
    if (program.parent_path().filename() != "bin" ||
        !std::filesystem::exists(candidate / "lib/tessaro/Tessaro.dylib", error)) {
      return std::nullopt;
    }
    return candidate;
  }();
  return prefix;
}

std::filesystem::path locate(std::string_view installed, const std::filesystem::path& built) {
  if (const auto prefix = installationPrefix()) return *prefix / installed;
  return built;
}

}  // namespace core
