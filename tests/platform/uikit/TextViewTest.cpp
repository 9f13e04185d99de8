// Text views and fonts: text shaped in the system font, laid out in the view's inset,
// aligned, wrapped and clipped as UIKit does.

#include "platform/coregraphics/CGImage.h"
#include "platform/coregraphics/Text.h"
#include "platform/foundation/Foundation.h"
#include "platform/objc/AutoreleasePool.h"
#include "platform/objc/Message.h"
#include "platform/uikit/UIKit.h"
#include "tests/support/ImageCompare.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>

namespace {

using namespace objc::literals;
using objc::send;

// The pixels a picture has ink in: not transparent.
struct Ink {
  std::size_t left = SIZE_MAX, right = 0, top = SIZE_MAX, bottom = 0;
  std::size_t count = 0;
};

Ink inkOf(CGImageRef image) {
  Ink ink;
  for (std::size_t y = 0; y < CGImageGetHeight(image); ++y) {
    for (std::size_t x = 0; x < CGImageGetWidth(image); ++x) {
      if (coregraphics::pixelAt(image, x, y).a < 64) continue;
      ++ink.count;
      ink.left = std::min(ink.left, x);
      ink.right = std::max(ink.right, x);
      ink.top = std::min(ink.top, y);
      ink.bottom = std::max(ink.bottom, y);
    }
  }
  return ink;
}

struct TextViews : testing::Test {
  void SetUp() override {
    uikit::registerClasses();
    ASSERT_TRUE(coregraphics::systemFontAvailable()) << "fonts-inter is installed by scripts/install-deps.sh";
  }

  // A clear text view of `frame` with `text` in white at `size` points.
  static id textView(CGRect frame, const char* text, double size = 26, long long alignment = 1) {
    id view = objc::autorelease(send<id(CGRect)>(send<id()>(objc::getClass("UITextView"), "alloc"_sel), "initWithFrame:"_sel, frame));
    send<void(id)>(view, "setText:"_sel, foundation::makeString(text).get());
    send<void(id)>(view, "setFont:"_sel, send<id(double)>(objc::getClass("UIFont"), "systemFontOfSize:"_sel, size));
    send<void(id)>(view, "setTextColor:"_sel, uikit::makeColor({1, 1, 1, 0.95}));
    send<void(id)>(view, "setBackgroundColor:"_sel, uikit::makeColor({0, 0, 0, 0}));
    send<void(long long)>(view, "setTextAlignment:"_sel, alignment);
    return view;
  }

  objc::AutoreleasePool pool;
};

TEST_F(TextViews, TheStatusLineMatchesItsReference) {
  id view = textView(CGRectMake(0, 0, 375, 40), "Fixing TouchID - (1/2)");
  send<void(BOOL)>(view, "setClipsToBounds:"_sel, YES);
  CGImageRef image = uikit::renderView(view);
  EXPECT_TRUE(testsupport::matchesReference(image, TESSARO_TEST_REFERENCES "/status-line.png"));
  CGImageRelease(image);
}

TEST_F(TextViews, CentredTextHasEqualMarginsAndStartsBelowTheInset) {
  id view = textView(CGRectMake(0, 0, 375, 40), "Starting TouchID - (2/2)");
  CGImageRef image = uikit::renderView(view);
  const Ink ink = inkOf(image);
  ASSERT_GT(ink.count, 100u);
  const double left = static_cast<double>(ink.left), right = static_cast<double>(CGImageGetWidth(image) - 1 - ink.right);
  EXPECT_NEAR(left, right, 3.0) << "pixels left and right of the text";
  EXPECT_GE(ink.top, 8u * 2) << "the text starts below the 8-point inset";
  // Where a glyph covers a pixel whole, the pixel is the text colour: white at 0.95.
  coregraphics::RGBA8 fullest;
  for (std::size_t y = ink.top; y <= ink.bottom; ++y) {
    for (std::size_t x = ink.left; x <= ink.right; ++x) {
      const coregraphics::RGBA8 pixel = coregraphics::pixelAt(image, x, y);
      if (pixel.a > fullest.a) fullest = pixel;
    }
  }
  EXPECT_NEAR(fullest.a, 0.95 * 255, 2);
  EXPECT_GE(std::min({fullest.r, fullest.g, fullest.b}), 250);
  CGImageRelease(image);
}

TEST_F(TextViews, LeftAlignedTextStartsAtThePaddingAndNarrowTextWraps) {
  CGImageRef wide = uikit::renderView(textView(CGRectMake(0, 0, 375, 100), "Fixing TouchID", 26, 0));
  const Ink line = inkOf(wide);
  EXPECT_NEAR(static_cast<double>(line.left), 5.0 * 2, 4.0) << "5 points of padding at 2x";
  CGImageRef narrow = uikit::renderView(textView(CGRectMake(0, 0, 120, 100), "Fixing TouchID", 26, 0));
  const Ink lines = inkOf(narrow);
  EXPECT_GT(lines.bottom - lines.top, 2 * (line.bottom - line.top)) << "two lines";
  CGImageRelease(wide);
  CGImageRelease(narrow);
}

TEST_F(TextViews, ATextViewThatClipsShowsNothingOutsideItsBounds) {
  id parent = objc::autorelease(send<id(CGRect)>(send<id()>(objc::getClass("UIView"), "alloc"_sel), "initWithFrame:"_sel,
                                                 CGRectMake(0, 0, 200, 100)));
  id view = textView(CGRectMake(0, 0, 200, 20), "Fixing TouchID - (1/2)", 26, 0);
  send<void(id)>(parent, "addSubview:"_sel, view);
  CGImageRef spilling = uikit::renderView(parent);
  send<void(BOOL)>(view, "setClipsToBounds:"_sel, YES);
  CGImageRef clipped = uikit::renderView(parent);
  EXPECT_GT(inkOf(spilling).bottom, 20u * 2) << "text below a short view shows";
  EXPECT_LT(inkOf(clipped).bottom, 20u * 2) << "but not once it clips";
  CGImageRelease(spilling);
  CGImageRelease(clipped);
}

TEST_F(TextViews, BytesThatAreNoUtf8StillDraw) {
  CGImageRef image = uikit::renderView(textView(CGRectMake(0, 0, 200, 40), "bad \xC3\x28 \xFF text"));
  EXPECT_GT(inkOf(image).count, 50u);
  CGImageRelease(image);
}

TEST_F(TextViews, DefaultsAreUIKitsAndTheSystemFontKeepsItsSize) {
  id view = objc::autorelease(send<id(CGRect)>(send<id()>(objc::getClass("UITextView"), "alloc"_sel), "initWithFrame:"_sel,
                                               CGRectMake(0, 0, 10, 10)));
  EXPECT_EQ(send<BOOL()>(view, "isSelectable"_sel), YES);
  send<void(BOOL)>(view, "setSelectable:"_sel, NO);
  EXPECT_EQ(send<BOOL()>(view, "isSelectable"_sel), NO);
  EXPECT_EQ(foundation::stringOf(send<id()>(view, "text"_sel)), "");
  EXPECT_EQ(uikit::colorComponents(send<id()>(view, "backgroundColor"_sel)), (quartzcore::Color{1, 1, 1, 1}));
  EXPECT_EQ(send<long long()>(view, "textAlignment"_sel), 0);

  id font = send<id(double)>(objc::getClass("UIFont"), "systemFontOfSize:"_sel, 26.0);
  EXPECT_EQ(send<CGFloat()>(font, "pointSize"_sel), 26.0);
  EXPECT_EQ(foundation::stringOf(send<id()>(font, "familyName"_sel)), "Inter");
  EXPECT_EQ(send<CGFloat()>(send<id(double)>(objc::getClass("UIFont"), "systemFontOfSize:"_sel, -3.0), "pointSize"_sel), 12.0);
}

}  // namespace
