#pragma once
// PNG files: reading into images and writing images out. Every file is untrusted: one
// that is missing, larger than kMaxFileSize, not a PNG, truncated, or whose picture
// exceeds the bitmap limits of CGBitmapContext.h is refused with a reason, before its
// pixels are decoded where the header tells enough.

#include "platform/coregraphics/CGImage.h"

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

namespace coregraphics {

inline constexpr std::uintmax_t kMaxPNGFileSize = 64u << 20;

// An image owned by the caller, or NULL with `why` filled in.
CGImageRef readPNG(const std::filesystem::path& path, std::string& why);

// Writes `image` to `path`, replacing it in one step (a temporary file beside it, then
// renamed); on failure the old file, if any, is untouched. False with `why` filled in.
bool writePNG(CGImageRef image, const std::filesystem::path& path, std::string& why);

// The picture as PNG bytes made for speed rather than size, as a live view sends its
// frames: zlib's fastest level, no row filters, RGB when every pixel is opaque. Empty for
// NULL, or when libpng fails.
std::vector<std::uint8_t> encodePNGForSpeed(CGImageRef image);

// Both images of one size with the same pixels (two NULLs are the same).
bool samePixels(CGImageRef a, CGImageRef b);

}  // namespace coregraphics
