// The module's pictures and colour: the glyph table, the flag order, toggleImage:'s
// scaling against reference pictures, and what is left to this implementation.

#include "tests/module/ModuleTest.h"
#include "tests/support/ImageCompare.h"

#include "platform/coregraphics/CGColor.h"
#include "platform/substrate/CheckedHook.h"
#include "platform/uikit/UIGraphics.h"
#include "platform/uikit/UIKit.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <set>
#include <string>

namespace {

using namespace objc::literals;
using objc::send;
namespace fs = std::filesystem;

const fs::path kReferences = TESSARO_MODULE_REFERENCES;
const fs::path kBuiltBundle = TESSARO_BUILT_MODULE_BUNDLE;

id glyph(const moduletest::Booted& booted, const char* selector) {
  return send<id()>(booted.module, sel_registerName(selector));
}

// The glyph is the bundle's picture of that name, at the screen's 2x.
::testing::AssertionResult isPicture(id image, const char* name) {
  if (image == nil) return ::testing::AssertionFailure() << "no glyph";
  return testsupport::matchesReference(uikit::cgImageOf(image), kBuiltBundle / (std::string(name) + "@2x.png"), 0);
}

struct Row {
  std::optional<bool> enabled, onlyOne;
  const char* icon;
  const char* selected;  // null: none
};

TEST(Glyphs, FollowTheTableOfTheMasterSwitchAndOneGlyph) {
  const Row rows[] = {{std::nullopt, std::nullopt, "OFF", nullptr}, {false, true, "OFF", nullptr},
                      {true, std::nullopt, "OFF", "ON"},            {true, false, "OFF", "ON"},
                      {true, true, "ON", nullptr}};
  auto booted = moduletest::boot(std::nullopt);
  for (const Row& row : rows) {
    plist::Dictionary styling;
    if (row.enabled) styling["isEnabled"] = *row.enabled;
    if (row.onlyOne) styling["isOnlyOneGlyphEnabled"] = *row.onlyOne;
    booted.device->writePropertyList(device::kStylingPath, styling);
    SCOPED_TRACE(std::string("enabled ") + (row.enabled ? (*row.enabled ? "YES" : "NO") : "missing") + ", only one " +
                 (row.onlyOne ? (*row.onlyOne ? "YES" : "NO") : "missing"));
    EXPECT_TRUE(isPicture(glyph(booted, "iconGlyph"), row.icon));
    if (row.selected) {
      EXPECT_TRUE(isPicture(glyph(booted, "selectedIconGlyph"), row.selected));
    } else {
      EXPECT_EQ(glyph(booted, "selectedIconGlyph"), nil);
    }
  }
}

quartzcore::Color colorOf(id color) { return uikit::colorComponents(color).value_or(quartzcore::Color{-1, -1, -1, -1}); }

TEST(Glyphs, TheSelectedColourIsWhiteOnlyWithBothFlags) {
  auto booted = moduletest::boot(plist::Dictionary{{"isColoredTogglesEnabled", true}},
                                 plist::Dictionary{{"bgTessaroColor", "#102030"}});
  const quartzcore::Color setting{0x10 / 255.0, 0x20 / 255.0, 0x30 / 255.0, 1};
  EXPECT_EQ(colorOf(glyph(booted, "selectedColor")), setting) << "coloured toggles without the master switch";
  booted.device->writePropertyList(device::kStylingPath, {{"isEnabled", true}});
  EXPECT_EQ(colorOf(glyph(booted, "selectedColor")), setting);
  booted.device->writePropertyList(device::kStylingPath, {{"isEnabled", true}, {"isColoredTogglesEnabled", true}});
  EXPECT_EQ(colorOf(glyph(booted, "selectedColor")), (quartzcore::Color{1, 1, 1, 1}));
  booted.device->writeSettings({});
  booted.device->writePropertyList(device::kStylingPath, {});
  EXPECT_EQ(colorOf(glyph(booted, "selectedColor")), (quartzcore::Color{0xD7 / 255.0, 0x84 / 255.0, 0x49 / 255.0, 1}));
}

// The keys the module asks its dictionaries for.
std::vector<std::string> asked;
id (*orig_objectForKey)(id, SEL, id) = nullptr;
id recordingObjectForKey(id self, SEL sel, id key) {
  if (auto name = foundation::stringOf(key)) asked.push_back(*name);
  return orig_objectForKey(self, sel, key);
}

bool wasAsked(const std::string& key) { return std::find(asked.begin(), asked.end(), key) != asked.end(); }

TEST(Glyphs, TheSecondFlagIsReadOnlyWhenTheFirstIsSet) {
  auto booted = moduletest::boot(plist::Dictionary{
      {"isEnabled", false}, {"isScaleIconEnabled", true}, {"scaleIcon", 2.0}, {"isOnlyOneGlyphEnabled", true},
      {"isColoredTogglesEnabled", true}});
  substrate::hookMessage(objc::getClass("NSDictionary"), "objectForKey:"_sel, &recordingObjectForKey, &orig_objectForKey);
  id off = glyph(booted, "iconGlyph");
  glyph(booted, "selectedIconGlyph");
  glyph(booted, "selectedColor");
  EXPECT_TRUE(wasAsked("isEnabled"));
  for (const char* second : {"isScaleIconEnabled", "scaleIcon", "isOnlyOneGlyphEnabled", "isColoredTogglesEnabled"}) {
    EXPECT_FALSE(wasAsked(second)) << second;
  }
  EXPECT_TRUE(isPicture(off, "OFF")) << "returned unscaled";
}

// A 60 x 60 point test glyph at 2x: a frame along its edges, a mark in its top left corner,
// a disc at its centre. A picture cut off at an edge or off centre shows at once.
id testGlyph() {
  UIGraphicsBeginImageContextWithOptions(CGSizeMake(60, 60), NO, 0);
  CGContextRef c = UIGraphicsGetCurrentContext();
  CGContextSetRGBStrokeColor(c, 1, 1, 1, 1);
  CGContextSetLineWidth(c, 2);
  CGContextStrokeRect(c, CGRectMake(1, 1, 58, 58));
  CGContextSetRGBFillColor(c, 1, 1, 1, 1);
  CGContextFillRect(c, CGRectMake(6, 6, 12, 6));
  CGContextFillEllipseInRect(c, CGRectMake(20, 20, 20, 20));
  id image = UIGraphicsGetImageFromCurrentImageContext();
  UIGraphicsEndImageContext();
  return image;
}

moduletest::Booted bootScaling(plist::Value scale) {
  return moduletest::boot(plist::Dictionary{{"isEnabled", true}, {"isScaleIconEnabled", true}, {"scaleIcon", scale}});
}

void expectScaled(double factor, const char* reference) {
  auto booted = bootScaling(factor);
  id scaled = send<id(id)>(booted.module, "toggleImage:"_sel, testGlyph());
  ASSERT_NE(scaled, nil);
  const CGSize size = send<CGSize()>(scaled, "size"_sel);
  EXPECT_EQ(size.width, 60 * factor);
  EXPECT_EQ(size.height, 60 * factor);
  EXPECT_EQ(send<CGFloat()>(scaled, "scale"_sel), 2.0) << "drawn at the screen's scale";
  EXPECT_EQ(CGImageGetWidth(uikit::cgImageOf(scaled)), static_cast<std::size_t>(120 * factor));
  EXPECT_TRUE(testsupport::matchesReference(uikit::cgImageOf(scaled), kReferences / reference));
}

TEST(ToggleImage, AtHalfShowsTheWholeGlyphShrunkAboutItsCentre) { expectScaled(0.5, "toggle-image-0.5.png"); }
TEST(ToggleImage, AtOneAndAHalfShowsTheWholeGlyphGrownAboutItsCentre) { expectScaled(1.5, "toggle-image-1.5.png"); }

TEST(ToggleImage, AtOneIsTheSameSizeDrawnAgain) {
  auto booted = bootScaling(1.0);
  id original = testGlyph();
  id scaled = send<id(id)>(booted.module, "toggleImage:"_sel, original);
  EXPECT_NE(scaled, original);
  EXPECT_TRUE(CGSizeEqualToSize(send<CGSize()>(scaled, "size"_sel), CGSizeMake(60, 60)));
  EXPECT_TRUE(testsupport::matchesReference(uikit::cgImageOf(scaled), kReferences / "toggle-image-1.0.png"));
}

TEST(ToggleImage, AFactorOfZeroOrBelowOrMissingOrNotANumberLeavesThePictureAsItIs) {
  auto booted = bootScaling(0.0);
  id original = testGlyph();
  for (const plist::Value& factor : {plist::Value(0.0), plist::Value(-1.5), plist::Value("big"), plist::Value(1e30),
                                     plist::Value(plist::Array{plist::Value(2)})}) {
    booted.device->writePropertyList(device::kStylingPath,
                                     {{"isEnabled", true}, {"isScaleIconEnabled", true}, {"scaleIcon", factor}});
    EXPECT_EQ(send<id(id)>(booted.module, "toggleImage:"_sel, original), original);
  }
  booted.device->writePropertyList(device::kStylingPath, {{"isEnabled", true}, {"isScaleIconEnabled", true}});
  EXPECT_EQ(send<id(id)>(booted.module, "toggleImage:"_sel, original), original) << "scaleIcon missing";
  booted.device->writePropertyList(device::kStylingPath, {{"isEnabled", false}, {"isScaleIconEnabled", true}, {"scaleIcon", 2}});
  EXPECT_EQ(send<id(id)>(booted.module, "toggleImage:"_sel, original), original) << "the master switch is off";
}

TEST(ToggleImage, ScalesTheBundlesGlyphsWhenAskedTo) {
  auto booted = bootScaling(1.5);
  id icon = glyph(booted, "iconGlyph");
  EXPECT_TRUE(CGSizeEqualToSize(send<CGSize()>(icon, "size"_sel), CGSizeMake(48, 48)));
}

// A copy of the built bundle without its pictures.
fs::path bundleWithoutGlyphs() {
  const fs::path copy = fs::temp_directory_path() / ("bare-" + std::to_string(::getpid())) / "TessaroModule.bundle";
  fs::create_directories(copy);
  fs::copy_file(kBuiltBundle / "Info.plist", copy / "Info.plist", fs::copy_options::overwrite_existing);
  fs::copy_file(kBuiltBundle / "TessaroModule", copy / "TessaroModule", fs::copy_options::overwrite_existing);
  return copy;
}

TEST(Glyphs, MissingPicturesGiveNoGlyphsAndTheHostDrawsNone) {
  device::BootOptions options;
  options.moduleBundle = bundleWithoutGlyphs();
  auto booted = moduletest::boot(plist::Dictionary{{"isEnabled", true}}, std::nullopt, options);
  ASSERT_NE(booted.module, nil);
  EXPECT_EQ(glyph(booted, "iconGlyph"), nil);
  EXPECT_EQ(glyph(booted, "selectedIconGlyph"), nil);
  ASSERT_TRUE(booted.device->openControlCenter());
  id button = send<id()>(send<id()>(booted.module, "contentViewController"_sel), "buttonView"_sel);
  EXPECT_EQ(send<id()>(button, "glyphImage"_sel), nil);
  send<void(BOOL)>(booted.module, "setSelected:"_sel, YES);
  EXPECT_EQ(send<id()>(button, "glyphImage"_sel), nil);
  fs::remove_all(options.moduleBundle.parent_path());
}

}  // namespace
