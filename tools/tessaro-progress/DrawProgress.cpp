// tessaro-progress: draws a progress image of this project's own, a test stand-in for the
// one another package installs at "/Library/PreferenceBundles/Corvel.bundle/Progress@3x.png":
// an 80-point ring at 3x (240 x 240 pixels), white on transparent: a faint track and a
// bright quarter turn ending in a head at the top, so that its turning shows in a picture. Exit status 0, or 2 with a message.
//
//   tessaro-progress FILE.png

#include "platform/coregraphics/CGBitmapContext.h"
#include "platform/coregraphics/PNG.h"

#include <cmath>
#include <cstdio>
#include <numbers>
#include <string>

namespace {

constexpr double kSide = 80;  // points
constexpr int kScale = 3;
constexpr double kRadius = 30;
constexpr double kWidth = 8;

void ring(CGContextRef c) {
  const double centre = kSide / 2;
  CGContextSetLineWidth(c, kWidth);
  // A faint track, and a bright quarter turn up to the head at the top.
  CGContextSetRGBStrokeColor(c, 1, 1, 1, 0.2);
  CGContextBeginPath(c);
  CGContextAddEllipseInRect(c, CGRectMake(centre - kRadius, centre - kRadius, 2 * kRadius, 2 * kRadius));
  CGContextStrokePath(c);
  CGContextSetRGBStrokeColor(c, 1, 1, 1, 0.9);
  CGContextBeginPath(c);
  CGContextAddArc(c, centre, centre, kRadius, std::numbers::pi, 1.5 * std::numbers::pi, 1);
  CGContextStrokePath(c);
  CGContextSetRGBFillColor(c, 1, 1, 1, 1);
  CGContextFillEllipseInRect(c, CGRectMake(centre - kWidth / 2, centre - kRadius - kWidth / 2, kWidth, kWidth));
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2 || std::string(argv[1]) == "--help") {
    std::fprintf(argc == 2 ? stdout : stderr, "usage: tessaro-progress FILE.png\n");
    return argc == 2 ? 0 : 2;
  }
  const auto pixels = static_cast<std::size_t>(kSide * kScale);
  CGContextRef context = coregraphics::createBitmapContext(pixels, pixels);
  CGContextScaleCTM(context, kScale, kScale);
  ring(context);
  CGImageRef image = CGBitmapContextCreateImage(context);
  CGContextRelease(context);
  std::string why;
  const bool written = coregraphics::writePNG(image, argv[1], why);
  CGImageRelease(image);
  if (!written) std::fprintf(stderr, "tessaro-progress: %s: %s\n", argv[1], why.c_str());
  return written ? 0 : 2;
}
