// PNG files from untrusted bytes (a progress image, a bundle's glyphs): decoded into an
// image or refused with a reason, never a crash and never a bitmap past the limits.

#include "platform/coregraphics/PNG.h"

#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  static const std::filesystem::path file = [] {
    auto directory = std::filesystem::temp_directory_path() / ("tessaro-png-fuzz-" + std::to_string(::getpid()));
    std::filesystem::create_directories(directory);
    return directory / "input.png";
  }();
  std::ofstream(file, std::ios::binary | std::ios::trunc).write(reinterpret_cast<const char*>(data),
                                                               static_cast<std::streamsize>(size));
  std::string why;
  CGImageRef image = coregraphics::readPNG(file, why);
  if (image == nullptr && why.empty()) std::abort();  // a refusal always says why
  CGImageRelease(image);
  return 0;
}
