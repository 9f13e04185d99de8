// The toggle styling hooks in a device with both deliverables loaded.

#include "platform/controlcenter/ControlCenter.h"
#include "platform/core/Random.h"
#include "platform/quartzcore/QuartzCore.h"
#include "platform/substrate/Substrate.h"
#include "platform/uikit/UIKit.h"
#include "tests/tweak/TweakTest.h"

#include <gtest/gtest.h>

#include <stdlib.h>

#include <algorithm>

namespace {

using namespace objc::literals;
using objc::send;
using quartzcore::Color;

constexpr const char* kTessaro = "com.brel.control-center.tessaromodule";
constexpr const char* kDoNotDisturb = "com.apple.control-center.DoNotDisturbModule";
constexpr Color kTessaroOrange{0xD7 / 255.0, 0x84 / 255.0, 0x49 / 255.0, 1};

tweaktest::Booted boot(plist::Dictionary styling, std::optional<plist::Dictionary> settings = plist::Dictionary{},
                       device::BootOptions options = {}) {
  options.files.emplace_back(device::kStylingPath, std::move(styling));
  return tweaktest::boot(std::move(settings), std::move(options));
}

id controller(const char* identifier) { return controlcenter::controllerFor(identifier); }
id view(const char* identifier) { return send<id()>(controller(identifier), "view"_sel); }
id layer(const char* identifier) { return send<id()>(view(identifier), "layer"_sel); }
Color background(const char* identifier) { return quartzcore::presentation(layer(identifier)).background; }
double radius(const char* identifier) { return send<CGFloat()>(layer(identifier), "cornerRadius"_sel); }
CGAffineTransform transform(const char* identifier) { return quartzcore::presentation(layer(identifier)).transform; }
id highlight(const char* identifier) {
  id* slot = MSHookIvar<id>(send<id()>(controller(identifier), "buttonView"_sel), "_highlightedBackgroundView");
  return slot ? *slot : nil;
}
bool highlightHidden(const char* identifier) { return send<BOOL()>(highlight(identifier), "isHidden"_sel); }

void expectColor(const Color& shown, const Color& expected) {
  EXPECT_NEAR(shown.r, expected.r, 1e-9);
  EXPECT_NEAR(shown.g, expected.g, 1e-9);
  EXPECT_NEAR(shown.b, expected.b, 1e-9);
  EXPECT_NEAR(shown.a, expected.a, 1e-9);
}

TEST(Styling, AnotherModulesToggleIsLeftAlone) {
  auto booted = boot({{"isEnabled", true}, {"isColoredTogglesEnabled", true}, {"isRoundIconsEnabled", true},
                      {"isScaleToggleEnabled", true}, {"scaleToggle", 0.9}});
  ASSERT_TRUE(booted.device->openControlCenter());
  booted.device->runFor(1);
  expectColor(background(kDoNotDisturb), Color{});
  EXPECT_EQ(radius(kDoNotDisturb), 19.0) << "the host's own radius";
  EXPECT_TRUE(CGAffineTransformIsIdentity(transform(kDoNotDisturb)));
  EXPECT_FALSE(highlightHidden(kDoNotDisturb));
  EXPECT_EQ(*booted.tweak->TessaroToggleModule, controlcenter::moduleFor(kTessaro));
  // Tapping the other toggle changes nothing of Tessaro's either.
  ASSERT_EQ(booted.device->tapToggle(kDoNotDisturb), controlcenter::Tap::Tapped);
  EXPECT_EQ(*booted.tweak->TessaroToggleModule, controlcenter::moduleFor(kTessaro));
  expectColor(background(kDoNotDisturb), Color{});
  EXPECT_EQ(booted.device->log().count("notification.posted", "com.brel.tessaro.setDisabled"), 0u);
}

TEST(Styling, WithTheMasterSwitchOffTheLoadShowsTheHighlightClearsAndSetsNoRadius) {
  auto booted = boot({{"isEnabled", false}, {"isColoredTogglesEnabled", true}, {"isRoundIconsEnabled", true}});
  send<void(BOOL)>(highlight(kTessaro), "setHidden:"_sel, YES);  // loads the view: the hook runs
  EXPECT_FALSE(highlightHidden(kTessaro));
  expectColor(background(kTessaro), Color{});
  EXPECT_EQ(radius(kTessaro), 19.0) << "not the round radius: none was set";
  EXPECT_EQ(*booted.tweak->TessaroToggleModule, controlcenter::moduleFor(kTessaro));
}

TEST(Styling, ColouredWithoutAColourSettingIsTheFallbackAtOnce) {
  auto booted = boot({{"isEnabled", true}, {"isColoredTogglesEnabled", true}});
  ASSERT_TRUE(booted.device->openControlCenter());
  expectColor(background(kTessaro), kTessaroOrange);
  EXPECT_TRUE(highlightHidden(kTessaro));
  EXPECT_EQ(radius(kTessaro), 19.0);
  EXPECT_EQ(send<CGFloat()>(send<id()>(highlight(kTessaro), "layer"_sel), "cornerRadius"_sel), 19.0);
  EXPECT_EQ(send<BOOL()>(controlcenter::moduleFor(kTessaro), "isSelected"_sel), NO)
      << "the first presentation finds no module: the state is not set";
}

TEST(Styling, RandomColoursTakeThreeDrawsInOrder) {
  auto booted = boot({});
  core::seedRandom(7);
  const std::uint32_t h = arc4random(), s = arc4random(), b = arc4random();
  id expected = send<id(double, double, double, double)>(objc::getClass("UIColor"), "colorWithHue:saturation:brightness:alpha:"_sel,
                                                         (h % 359) / 359.0, (s % 100) / 100.0, (b % 100) / 100.0, 1.0);
  core::seedRandom(7);
  id drawn = booted.tweak->randomColor();
  EXPECT_TRUE(send<BOOL(id)>(drawn, "isEqual:"_sel, expected));
  for (int i = 0; i < 200; ++i) {
    const Color c = *uikit::colorComponents(booted.tweak->randomColor());
    EXPECT_EQ(c.a, 1.0);
    EXPECT_LE(std::max({c.r, c.g, c.b}), 0.99 + 1e-12) << "brightness at most 0.99";
  }
}

TEST(Styling, WithRandomColoursEveryRefreshGivesANewOpaqueColour) {
  auto booted = boot({{"isEnabled", true}, {"isColoredTogglesEnabled", true}, {"isRandomColorEnabled", true}});
  ASSERT_TRUE(booted.device->openControlCenter());
  std::vector<Color> seen{background(kTessaro)};
  for (int i = 0; i < 3; ++i) {
    send<void()>(controller(kTessaro), "refreshState"_sel);
    seen.push_back(background(kTessaro));
  }
  for (std::size_t i = 0; i < seen.size(); ++i) {
    EXPECT_EQ(seen[i].a, 1.0);
    if (i > 0) {
      EXPECT_FALSE(seen[i] == seen[i - 1]) << "refresh " << i;
    }
  }
}

TEST(Styling, TheToggleScalesToItsFactorOverAFifthOfASecondAndStaysWhenScalingIsSwitchedOff) {
  auto booted = boot({{"isEnabled", true}, {"isScaleToggleEnabled", true}, {"scaleToggle", 0.9}});
  ASSERT_TRUE(booted.device->openControlCenter());
  EXPECT_NEAR(transform(kTessaro).a, 1.0, 1e-9);
  // "scaleToggle" is read as a float.
  const double factor = static_cast<double>(0.9f);
  booted.device->runFor(0.1);
  EXPECT_NEAR(transform(kTessaro).a, (1 + factor) / 2, 1e-12);
  EXPECT_NEAR(transform(kTessaro).d, (1 + factor) / 2, 1e-12);
  booted.device->runFor(0.1);
  EXPECT_EQ(transform(kTessaro).a, factor);
  EXPECT_EQ(transform(kTessaro).d, factor);
  // Scaled about its centre: the centre stays where Control Center put it.
  const CGPoint centre = send<CGPoint()>(view(kTessaro), "center"_sel);
  const CGRect frame = send<CGRect()>(view(kTessaro), "frame"_sel);
  EXPECT_NEAR(CGRectGetMidX(frame), centre.x, 1e-9);
  EXPECT_NEAR(frame.size.width, 64 * factor, 1e-9);
  booted.device->writePropertyList(device::kStylingPath, {{"isEnabled", true}, {"scaleToggle", 0.5}});
  send<void()>(controller(kTessaro), "refreshState"_sel);
  booted.device->runFor(1);
  EXPECT_EQ(transform(kTessaro).a, factor);
}

TEST(Styling, StylingValuesOfTheWrongKindReadAsMissingInsteadOfStoppingSpringBoard) {
  auto booted = boot({{"isEnabled", true}, {"isColoredTogglesEnabled", plist::Array{plist::Value(true)}},
                      {"isScaleToggleEnabled", true}, {"scaleToggle", plist::Dictionary{{"x", 0.5}}}},
                     plist::Dictionary{{"bgTessaroColor", 7}});
  ASSERT_TRUE(booted.device->openControlCenter());
  booted.device->runFor(1);
  EXPECT_FALSE(highlightHidden(kTessaro)) << "not coloured";
  EXPECT_EQ(transform(kTessaro).a, 0.0) << "a factor that is no number is 0, as a missing one";
}

TEST(Styling, TheStateIsSetFromTheMasterSwitchBeforeTheOverlaysOwnPresentation) {
  auto booted = boot({}, plist::Dictionary{{"isEnabled", true}});
  std::vector<std::string> order;
  core::eventLog().setListener([&](const core::Event& event) {
    if (event.text == "-[CCUIModularControlCenterOverlayViewController _beginPresentationAnimated:interactive:]" ||
        event.text == "com.brel.tessaro.setEnabled" || event.text == "com.brel.tessaro.setDisabled") {
      order.push_back(event.text.starts_with("-[") ? "presentation" : event.text);
    }
  });
  ASSERT_TRUE(booted.device->openControlCenter());
  EXPECT_EQ(order, std::vector<std::string>{"presentation"}) << "no module yet on the first presentation";
  booted.device->closeControlCenter();
  booted.device->runUntilIdle();
  order.clear();
  ASSERT_TRUE(booted.device->openControlCenter());
  EXPECT_EQ(order, (std::vector<std::string>{"com.brel.tessaro.setEnabled", "presentation"}));
  EXPECT_EQ(send<BOOL()>(controlcenter::moduleFor(kTessaro), "isSelected"_sel), YES);
  core::eventLog().setListener(nullptr);
}

TEST(Styling, AButtonWithoutTheHighlightVariableIsStyledAllTheSame) {
  device::BootOptions options;
  options.buttonHighlightIvar = false;
  auto booted = boot({{"isEnabled", true}, {"isColoredTogglesEnabled", true}, {"isRoundIconsEnabled", true}},
                     plist::Dictionary{}, options);
  ASSERT_TRUE(booted.device->openControlCenter());
  EXPECT_EQ(highlight(kTessaro), nil);
  expectColor(background(kTessaro), kTessaroOrange);
  EXPECT_EQ(radius(kTessaro), 32.0);
  send<void()>(controller(kTessaro), "refreshState"_sel);
  EXPECT_EQ(radius(kTessaro), 32.0);
}

TEST(Styling, TappingTheToggleSwitchesTheTweakThroughTheSettingsFile) {
  auto booted = boot({}, plist::Dictionary{{"isEnabled", false}, {"wakeMode", 1}});
  ASSERT_TRUE(booted.device->openControlCenter());
  ASSERT_EQ(booted.device->tapToggle(kTessaro), controlcenter::Tap::Tapped);
  EXPECT_EQ(*booted.tweak->isEnabled, NO) << "set by the reload, on a later turn";
  booted.device->runUntilIdle();
  EXPECT_EQ(*booted.tweak->isEnabled, YES);
  EXPECT_EQ(*booted.device->readSettings(), (plist::Dictionary{{"isEnabled", true}, {"wakeMode", 1}}));
  ASSERT_EQ(booted.device->tapToggle(kTessaro), controlcenter::Tap::Tapped);
  booted.device->runUntilIdle();
  EXPECT_EQ(*booted.tweak->isEnabled, NO);
  EXPECT_EQ(*booted.device->readSettings(), (plist::Dictionary{{"isEnabled", false}, {"wakeMode", 1}}));
  // The next presentation sets the module from the switch again: off, as the file says.
  booted.device->closeControlCenter();
  booted.device->openControlCenter();
  EXPECT_EQ(send<BOOL()>(controlcenter::moduleFor(kTessaro), "isSelected"_sel), NO);
}

}  // namespace
