#include "platform/foundation/Foundation.h"
#include "platform/libcolorpicker/libcolorpicker.h"
#include "platform/objc/AutoreleasePool.h"
#include "platform/uikit/UIKit.h"

#include <gtest/gtest.h>

namespace {

using quartzcore::Color;

Color parsed(id string, id fallback) {
  return uikit::colorComponents(LCPParseColorString(string, fallback)).value_or(Color{-1, -1, -1, -1});
}

Color parsed(const char* string, const char* fallback = "#000000:0.25") {
  return parsed(string ? foundation::makeString(string).get() : nil, foundation::makeString(fallback).get());
}

TEST(LCPParseColorString, ReadsTheFormsAndFallsBackOnAnythingElse) {
  uikit::registerClasses();
  objc::AutoreleasePool pool;
  const Color fallback{0, 0, 0, 0.25};
  EXPECT_EQ(parsed("#D78449"), (Color{0xD7 / 255.0, 0x84 / 255.0, 0x49 / 255.0, 1}));
  EXPECT_EQ(parsed("d78449"), parsed("#D78449")) << "without the sign, either case";
  EXPECT_EQ(parsed("#F80"), (Color{1, 0x88 / 255.0, 0, 1}));
  EXPECT_EQ(parsed("#FFFFFF:0.5"), (Color{1, 1, 1, 0.5}));
  EXPECT_EQ(parsed("#000:0"), (Color{0, 0, 0, 0}));
  for (const char* bad : {"", "#", "#12", "#12345", "#1234567", "#GGGGGG", " #FFFFFF", "#FFFFFF ", "#FFFFFF:",
                          "#FFFFFF:1.5", "#FFFFFF:-0.1", "#FFFFFF:nan", "#FFFFFF:0.5:1", "red"}) {
    EXPECT_EQ(parsed(bad), fallback) << '"' << bad << '"';
  }
  EXPECT_EQ(parsed(nullptr), fallback);
  EXPECT_EQ(parsed(foundation::makeNumber(1.0).get(), foundation::makeString("#FFF").get()), (Color{1, 1, 1, 1}))
      << "not a string";
  EXPECT_EQ(parsed("nope", "also nope"), (Color{0, 0, 0, 1})) << "a fallback that names no colour is black";
  EXPECT_EQ(parsed(nil, nil), (Color{0, 0, 0, 1}));
}

}  // namespace
