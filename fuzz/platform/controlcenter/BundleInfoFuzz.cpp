// A module bundle's Info.plist from untrusted bytes, read as Control Center reads it at
// start: a description of the bundle (identifier, executable, principal class) or the
// reason it is skipped, never a crash; an executable it names is always a plain file name.

#include "platform/controlcenter/Classes.h"

#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  static const std::filesystem::path file = [] {
    auto bundle = std::filesystem::temp_directory_path() / ("tessaro-bundle-fuzz-" + std::to_string(::getpid())) /
                  "Fuzz.bundle";
    std::filesystem::create_directories(bundle);
    return bundle / "Info.plist";
  }();
  std::ofstream(file, std::ios::binary | std::ios::trunc).write(reinterpret_cast<const char*>(data),
                                                               static_cast<std::streamsize>(size));
  const controlcenter::detail::BundleInfo info = controlcenter::detail::readBundleInfo(file);
  if (info.reason.empty()) {
    const std::string& executable = info.executable;
    const bool plainName = !executable.empty() && executable.find('/') == std::string::npos && executable != "." &&
                           executable != "..";
    if (info.identifier.empty() || info.principalClass.empty() || !plainName) std::abort();
  }
  return 0;
}
