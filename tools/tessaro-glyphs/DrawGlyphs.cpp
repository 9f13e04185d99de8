// tessaro-glyphs: draws the toggle's two glyphs, "ON" and "OFF", into a bundle directory at
// 1x, 2x and 3x (ON.png, ON@2x.png, ON@3x.png, ...). The artwork is this project's own:
// four tiles of a mosaic, filled when on and outlined when off, white on transparent, for
// Control Center to tint. Exit status 0, or 2 with a message when a file cannot be
// written.
//
//   tessaro-glyphs DIRECTORY

#include "platform/coregraphics/CGBitmapContext.h"
#include "platform/coregraphics/PNG.h"
#include "platform/coregraphics/RoundedRect.h"

#include <cstdio>
#include <filesystem>
#include <string>

namespace {

constexpr double kSide = 32;  // points
constexpr double kTile = 12;
constexpr double kGap = 3;
constexpr double kTileRadius = 3;

void tiles(CGContextRef c, bool filled) {
  const double start = (kSide - 2 * kTile - kGap) / 2;
  CGContextSetRGBFillColor(c, 1, 1, 1, 1);
  CGContextSetRGBStrokeColor(c, 1, 1, 1, 1);
  CGContextSetLineWidth(c, 1.75);
  for (int row = 0; row < 2; ++row) {
    for (int column = 0; column < 2; ++column) {
      CGRect tile = CGRectMake(start + column * (kTile + kGap), start + row * (kTile + kGap), kTile, kTile);
      // Strokes stay inside the tile, so that both glyphs cover the same square.
      if (!filled) tile = CGRectMake(tile.origin.x + 0.875, tile.origin.y + 0.875, kTile - 1.75, kTile - 1.75);
      CGContextBeginPath(c);
      // One tile, top right, is round: the mark of the set.
      const double radius = row == 0 && column == 1 ? kTile / 2 : kTileRadius;
      coregraphics::addRoundedRect(c, tile, radius, false);
      if (filled) {
        CGContextFillPath(c);
      } else {
        CGContextStrokePath(c);
      }
    }
  }
}

bool draw(const std::filesystem::path& directory, const std::string& name, bool filled, int scale) {
  const auto pixels = static_cast<std::size_t>(kSide * scale);
  CGContextRef context = coregraphics::createBitmapContext(pixels, pixels);
  CGContextScaleCTM(context, scale, scale);
  tiles(context, filled);
  CGImageRef image = CGBitmapContextCreateImage(context);
  CGContextRelease(context);
  const std::string file = name + (scale == 1 ? "" : "@" + std::to_string(scale) + "x") + ".png";
  std::string why;
  const bool written = coregraphics::writePNG(image, directory / file, why);
  CGImageRelease(image);
  if (!written) std::fprintf(stderr, "tessaro-glyphs: %s: %s\n", (directory / file).c_str(), why.c_str());
  return written;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2 || std::string(argv[1]) == "--help") {
    std::fprintf(argc == 2 ? stdout : stderr, "usage: tessaro-glyphs DIRECTORY\n");
    return argc == 2 ? 0 : 2;
  }
  const std::filesystem::path directory = argv[1];
  bool ok = true;
  for (int scale = 1; scale <= 3; ++scale) {
    ok = draw(directory, "ON", true, scale) && ok;
    ok = draw(directory, "OFF", false, scale) && ok;
  }
  return ok ? 0 : 2;
}
