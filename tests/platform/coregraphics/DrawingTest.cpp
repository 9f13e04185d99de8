// CoreGraphics over cairo: what a context draws, and PNG files in and out, hostile ones
// included.

#include "platform/coregraphics/CGBitmapContext.h"
#include "platform/coregraphics/PNG.h"

#include <gtest/gtest.h>

#include <unistd.h>

#include <filesystem>
#include <fstream>

namespace {

namespace fs = std::filesystem;
using coregraphics::RGBA8;

struct Bitmap {
  CGContextRef context;
  explicit Bitmap(std::size_t side) : context(coregraphics::createBitmapContext(side, side)) {}
  ~Bitmap() { CGContextRelease(context); }
  RGBA8 at(std::size_t x, std::size_t y) const {
    CGImageRef image = CGBitmapContextCreateImage(context);
    const RGBA8 pixel = coregraphics::pixelAt(image, x, y);
    CGImageRelease(image);
    return pixel;
  }
};

TEST(Drawing, ATransparencyLayerAppliesItsAlphaToTheGroupOnce) {
  Bitmap bitmap(4);
  CGContextSetAlpha(bitmap.context, 0.5);
  CGContextBeginTransparencyLayer(bitmap.context, nullptr);
  CGContextSetRGBFillColor(bitmap.context, 1, 0, 0, 1);
  CGContextFillRect(bitmap.context, CGRectMake(0, 0, 4, 4));
  CGContextFillRect(bitmap.context, CGRectMake(0, 0, 4, 4));  // twice: still half, not three quarters
  CGContextEndTransparencyLayer(bitmap.context);
  const RGBA8 pixel = bitmap.at(1, 1);
  EXPECT_EQ(pixel.r, 255);
  EXPECT_NEAR(pixel.a, 128, 1);
}

TEST(Drawing, ASingularTransformDrawsNothingUntilItsStateIsRestored) {
  Bitmap bitmap(4);
  CGContextSetRGBFillColor(bitmap.context, 0, 0, 1, 1);
  CGContextSaveGState(bitmap.context);
  CGContextScaleCTM(bitmap.context, 0, 1);
  CGContextFillRect(bitmap.context, CGRectMake(0, 0, 4, 4));
  EXPECT_EQ(bitmap.at(1, 1).a, 0);
  CGContextRestoreGState(bitmap.context);
  CGContextRestoreGState(bitmap.context);  // one too many: ignored
  CGContextFillRect(bitmap.context, CGRectMake(0, 0, 2, 2));
  EXPECT_EQ(bitmap.at(1, 1), (RGBA8{0, 0, 255, 255}));
  EXPECT_EQ(bitmap.at(3, 3).a, 0);
}

TEST(Drawing, AnImageIsDrawnScaledIntoItsRectangle) {
  Bitmap source(2);
  CGContextSetRGBFillColor(source.context, 0, 1, 0, 1);
  CGContextFillRect(source.context, CGRectMake(0, 0, 1, 2));  // the left column
  CGImageRef image = CGBitmapContextCreateImage(source.context);
  Bitmap target(8);
  CGContextDrawImage(target.context, CGRectMake(0, 0, 8, 8), image);
  EXPECT_EQ(target.at(0, 7), (RGBA8{0, 255, 0, 255}));
  EXPECT_EQ(target.at(7, 0).a, 0);
  CGImageRelease(image);
}

// A picture of a context is of a file when that file's image, and no other image, was
// drawn into it; fills do not count.
TEST(Drawing, APictureKeepsTheOriginOfTheOneImageDrawnIntoIt) {
  Bitmap made(2);
  CGImageRef on = CGBitmapContextCreateImage(made.context);
  CGImageRef off = CGBitmapContextCreateImage(made.context);
  CGImageRef unknown = CGBitmapContextCreateImage(made.context);
  EXPECT_EQ(coregraphics::imageOrigin(on), "") << "nothing drawn: no origin";
  coregraphics::setImageOrigin(on, "/bundle/ON@2x.png");
  coregraphics::setImageOrigin(off, "/bundle/OFF@2x.png");
  auto pictureOf = [](std::initializer_list<CGImageRef> images) {
    Bitmap target(4);
    CGContextSetRGBFillColor(target.context, 1, 1, 1, 1);
    CGContextFillRect(target.context, CGRectMake(0, 0, 4, 4));
    for (CGImageRef image : images) CGContextDrawImage(target.context, CGRectMake(0, 0, 3, 3), image);
    CGImageRef picture = CGBitmapContextCreateImage(target.context);
    const std::string origin = coregraphics::imageOrigin(picture);
    CGImageRelease(picture);
    return origin;
  };
  EXPECT_EQ(pictureOf({on}), "/bundle/ON@2x.png");
  EXPECT_EQ(pictureOf({on, on}), "/bundle/ON@2x.png");
  EXPECT_EQ(pictureOf({on, off}), "");
  EXPECT_EQ(pictureOf({on, unknown}), "");
  EXPECT_EQ(pictureOf({}), "");
  // Through a mask too, as a template glyph is drawn.
  Bitmap masked(4);
  coregraphics::fillThroughMask(masked.context, CGRectMake(0, 0, 4, 4), off);
  CGImageRef picture = CGBitmapContextCreateImage(masked.context);
  EXPECT_EQ(coregraphics::imageOrigin(picture), "/bundle/OFF@2x.png");
  for (CGImageRef image : {on, off, unknown, picture}) CGImageRelease(image);
}

TEST(BitmapContext, SizesBeyondTheLimitsOrOfNoAreaGiveNoContext) {
  EXPECT_EQ(coregraphics::createBitmapContext(0, 10), nullptr);
  EXPECT_EQ(coregraphics::createBitmapContext(coregraphics::kMaxBitmapSide + 1, 1), nullptr);
  EXPECT_EQ(coregraphics::createBitmapContext(coregraphics::kMaxBitmapSide, coregraphics::kMaxBitmapSide), nullptr);
  // Every function takes NULL.
  CGContextFillRect(nullptr, CGRectMake(0, 0, 1, 1));
  EXPECT_EQ(CGBitmapContextCreateImage(nullptr), nullptr);
}

class PNGFiles : public testing::Test {
 protected:
  void SetUp() override { fs::create_directories(directory_); }
  void TearDown() override { fs::remove_all(directory_); }
  fs::path write(const std::string& name, const std::string& bytes) {
    std::ofstream(directory_ / name, std::ios::binary) << bytes;
    return directory_ / name;
  }
  std::string refusal(const fs::path& path) {
    std::string why;
    CGImageRef image = coregraphics::readPNG(path, why);
    EXPECT_EQ(image, nullptr);
    CGImageRelease(image);
    return why;
  }
  const fs::path directory_ = fs::temp_directory_path() / ("png-" + std::to_string(::getpid()));
};

TEST_F(PNGFiles, RoundTripKeepsEveryPixel) {
  Bitmap bitmap(3);
  CGContextSetRGBFillColor(bitmap.context, 1, 0.5, 0, 0.5);
  CGContextFillRect(bitmap.context, CGRectMake(1, 0, 2, 3));
  CGImageRef image = CGBitmapContextCreateImage(bitmap.context);
  std::string why;
  ASSERT_TRUE(coregraphics::writePNG(image, directory_ / "out.png", why)) << why;
  CGImageRef back = coregraphics::readPNG(directory_ / "out.png", why);
  ASSERT_NE(back, nullptr) << why;
  for (std::size_t y = 0; y < 3; ++y) {
    for (std::size_t x = 0; x < 3; ++x) EXPECT_EQ(coregraphics::pixelAt(back, x, y), coregraphics::pixelAt(image, x, y));
  }
  CGImageRelease(image);
  CGImageRelease(back);
}

// The live view's fast encoding: the same pixels as the picture, straight alpha where some
// pixel is translucent (premultiplied inside), RGB where every pixel is opaque; and the
// comparison that decides whether a frame changed.
TEST_F(PNGFiles, FastEncodingKeepsEveryPixelAndFramesCompareByPixels) {
  for (bool opaque : {false, true}) {
    CGContextRef context = coregraphics::createBitmapContext(4, 3, opaque);
    CGContextSetRGBFillColor(context, 1, 0.5, 0, opaque ? 1 : 0.5);
    CGContextFillRect(context, CGRectMake(1, 0, 2, 3));
    CGContextSetRGBFillColor(context, 0.2, 0.4, 0.6, opaque ? 1 : 0.25);
    CGContextFillRect(context, CGRectMake(3, 1, 1, 2));
    CGImageRef image = CGBitmapContextCreateImage(context);
    const std::vector<std::uint8_t> bytes = coregraphics::encodePNGForSpeed(image);
    ASSERT_FALSE(bytes.empty());
    EXPECT_EQ(bytes[25], opaque ? 2 : 6) << "the colour type: RGB when opaque, else RGBA";
    const fs::path file = write("fast.png", std::string(bytes.begin(), bytes.end()));
    std::string why;
    CGImageRef back = coregraphics::readPNG(file, why);
    ASSERT_NE(back, nullptr) << why;
    for (std::size_t y = 0; y < 3; ++y) {
      for (std::size_t x = 0; x < 4; ++x) {
        const RGBA8 want = coregraphics::pixelAt(image, x, y), got = coregraphics::pixelAt(back, x, y);
        EXPECT_EQ(got.a, want.a) << x << "," << y;
        // Straight alpha through premultiplied storage: within one step.
        EXPECT_NEAR(got.r, want.r, 1) << x << "," << y;
        EXPECT_NEAR(got.g, want.g, 1) << x << "," << y;
        EXPECT_NEAR(got.b, want.b, 1) << x << "," << y;
      }
    }
    EXPECT_TRUE(coregraphics::samePixels(image, back) || !opaque);
    CGContextFillRect(context, CGRectMake(0, 0, 1, 1));
    CGImageRef changed = CGBitmapContextCreateImage(context);
    EXPECT_FALSE(coregraphics::samePixels(image, changed));
    CGImageRef again = CGBitmapContextCreateImage(context);
    EXPECT_TRUE(coregraphics::samePixels(changed, again));
    CGImageRelease(again);
    CGImageRelease(changed);
    CGImageRelease(back);
    CGImageRelease(image);
    CGContextRelease(context);
  }
  EXPECT_TRUE(coregraphics::encodePNGForSpeed(nullptr).empty());
}

TEST_F(PNGFiles, HostileOrBrokenFilesAreRefusedWithAReason) {
  const std::string signature = "\x89PNG\r\n\x1a\n";
  // A header that claims a picture of 100000 x 100000 pixels: refused before decoding.
  std::string huge = signature + std::string("\0\0\0\x0dIHDR", 8) + std::string("\0\x01\x86\xa0\0\x01\x86\xa0\x08\x06\0\0\0", 13) +
                     std::string("\0\0\0\0", 4);
  EXPECT_EQ(refusal(directory_ / "missing.png"), "no such file");
  EXPECT_EQ(refusal(write("text.png", "hello")), "not a PNG file");
  EXPECT_EQ(refusal(write("short.png", signature + "\0\0")), "truncated or malformed PNG header");
  EXPECT_NE(refusal(write("huge.png", huge)).find("beyond the limit"), std::string::npos);
  // A real file cut in half.
  Bitmap bitmap(64);
  CGContextSetRGBFillColor(bitmap.context, 0.3, 0.6, 0.9, 1);
  CGContextFillEllipseInRect(bitmap.context, CGRectMake(0, 0, 64, 64));
  CGImageRef image = CGBitmapContextCreateImage(bitmap.context);
  std::string why;
  ASSERT_TRUE(coregraphics::writePNG(image, directory_ / "whole.png", why));
  CGImageRelease(image);
  std::ifstream in(directory_ / "whole.png", std::ios::binary);
  std::string bytes((std::istreambuf_iterator<char>(in)), {});
  EXPECT_EQ(refusal(write("cut.png", bytes.substr(0, bytes.size() / 2))).rfind("cannot decode", 0), 0u);
  EXPECT_EQ(refusal(directory_), "not a regular file");
}

TEST_F(PNGFiles, AFailedWriteLeavesTheOldFile) {
  Bitmap bitmap(1);
  CGImageRef image = CGBitmapContextCreateImage(bitmap.context);
  std::string why;
  EXPECT_FALSE(coregraphics::writePNG(image, directory_ / "no" / "such" / "dir.png", why));
  EXPECT_FALSE(why.empty());
  CGImageRelease(image);
}

}  // namespace
