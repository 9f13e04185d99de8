#pragma once
// CoreGraphics' images: immutable, reference-counted bitmaps of 8-bit premultiplied RGBA
// pixels. Width and height are in pixels; an image knows nothing of points, which are
// UIImage's. NULL is accepted by every function.

#include "platform/coregraphics/CGContext.h"

#include <cstddef>
#include <cstdint>
#include <string>

using CGImageRef = struct CGImage*;

extern "C" {
CGImageRef CGImageRetain(CGImageRef image);
void CGImageRelease(CGImageRef image);
std::size_t CGImageGetWidth(CGImageRef image);
std::size_t CGImageGetHeight(CGImageRef image);

// Draws the whole image scaled into `rect`, upright in the device's y-down contexts,
// smoothed when scaled.
void CGContextDrawImage(CGContextRef c, CGRect rect, CGImageRef image);
}

namespace coregraphics {

// One pixel, not premultiplied.
struct RGBA8 {
  std::uint8_t r = 0, g = 0, b = 0, a = 0;
  friend bool operator==(const RGBA8&, const RGBA8&) = default;
};

// The pixel at column x, row y (row 0 on top); transparent outside the image.
RGBA8 pixelAt(CGImageRef image, std::size_t x, std::size_t y);

// Where an image's pixels came from, as far as the device follows them, as a debugger
// following a picture back would: the device path of the file it was read from, or, for a
// picture taken of a context, the origin of the one image drawn into it (when one image, or
// several of one origin, and no image of unknown origin was drawn). Empty when unknown.
void setImageOrigin(CGImageRef image, std::string origin);
const std::string& imageOrigin(CGImageRef image);

// Fills `rect` with the context's fill colour where `mask`, scaled into `rect`, is
// opaque: the mask's alpha is the coverage. How a template image is tinted.
void fillThroughMask(CGContextRef c, CGRect rect, CGImageRef mask);

}  // namespace coregraphics
