#pragma once
// Bitmap contexts: a context that draws into a new bitmap of 8-bit premultiplied RGBA, and
// the image of what it holds. The device's bitmap contexts start fully transparent (an
// opaque one starts black) with the CTM the identity, one unit a pixel, y down.

#include "platform/coregraphics/CGImage.h"

#include <cstddef>

namespace coregraphics {

// Bitmaps larger than this on a side, or in all, are refused: a request from a hostile
// size must not take unbounded memory.
inline constexpr std::size_t kMaxBitmapSide = 16384;
inline constexpr std::size_t kMaxBitmapPixels = std::size_t{1} << 26;

// A new context owned by the caller (CGContextRelease), or NULL when a side is 0 or the
// bitmap is beyond the limits above.
CGContextRef createBitmapContext(std::size_t widthPixels, std::size_t heightPixels, bool opaque = false);

}  // namespace coregraphics

extern "C" {
void CGContextRelease(CGContextRef c);
std::size_t CGBitmapContextGetWidth(CGContextRef c);
std::size_t CGBitmapContextGetHeight(CGContextRef c);
// A copy of the bitmap as it is now, owned by the caller; NULL for NULL.
CGImageRef CGBitmapContextCreateImage(CGContextRef c);
}
