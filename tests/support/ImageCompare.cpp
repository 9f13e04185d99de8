#include "tests/support/ImageCompare.h"

#include "platform/coregraphics/PNG.h"

#include <cstdlib>
#include <string>

namespace testsupport {

::testing::AssertionResult matchesReference(CGImageRef image, const std::filesystem::path& reference, int tolerance) {
  if (image == nullptr) return ::testing::AssertionFailure() << "no image to compare with " << reference;
  std::string why;
  if (std::getenv("TESSARO_UPDATE_REFERENCES") != nullptr) {
    if (!coregraphics::writePNG(image, reference, why)) return ::testing::AssertionFailure() << reference << ": " << why;
    return ::testing::AssertionSuccess() << "wrote " << reference;
  }
  CGImageRef expected = coregraphics::readPNG(reference, why);
  if (expected == nullptr) return ::testing::AssertionFailure() << reference << ": " << why;
  const std::size_t width = CGImageGetWidth(image), height = CGImageGetHeight(image);
  ::testing::AssertionResult result = ::testing::AssertionSuccess();
  if (width != CGImageGetWidth(expected) || height != CGImageGetHeight(expected)) {
    result = ::testing::AssertionFailure() << "size " << width << " x " << height << " pixels, the reference "
                                           << CGImageGetWidth(expected) << " x " << CGImageGetHeight(expected);
  } else {
    std::size_t differing = 0;
    std::string first;
    for (std::size_t y = 0; y < height; ++y) {
      for (std::size_t x = 0; x < width; ++x) {
        const coregraphics::RGBA8 a = coregraphics::pixelAt(image, x, y), b = coregraphics::pixelAt(expected, x, y);
        if (a.a == 0 && b.a == 0) continue;
        auto far = [tolerance](int p, int q) { return std::abs(p - q) > tolerance; };
        if (far(a.r, b.r) || far(a.g, b.g) || far(a.b, b.b) || far(a.a, b.a)) {
          if (differing++ == 0) {
            first = "(" + std::to_string(x) + ", " + std::to_string(y) + ") is " + std::to_string(a.r) + "," +
                    std::to_string(a.g) + "," + std::to_string(a.b) + "," + std::to_string(a.a) + ", the reference's " +
                    std::to_string(b.r) + "," + std::to_string(b.g) + "," + std::to_string(b.b) + "," + std::to_string(b.a);
          }
        }
      }
    }
    if (differing > 0) result = ::testing::AssertionFailure() << differing << " pixel(s) differ from " << reference << "; first " << first;
  }
  CGImageRelease(expected);
  return result;
}

}  // namespace testsupport
