// The fingerprint-sensor repair run: its seven steps in time, its overlay, its two writes
// of the settings file, and what it does without the pieces it looks for.

#include "platform/foundation/Foundation.h"
#include "platform/core/DeviceRoot.h"
#include "platform/coregraphics/CGImage.h"
#include "platform/quartzcore/QuartzCore.h"
#include "platform/springboard/SpringBoard.h"
#include "platform/uikit/UIKit.h"
#include "tests/support/ImageCompare.h"
#include "tests/tweak/TweakTest.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <filesystem>
#include <numbers>
#include <string>
#include <vector>

namespace {

using namespace objc::literals;
using objc::send;

constexpr const char* kProgressImage = "/Library/PreferenceBundles/Corvel.bundle/Progress@3x.png";

tweaktest::Booted bootForRepair(plist::Dictionary settings = {{"isEnabled", true}}, device::BootOptions options = {},
                                bool progressImage = true) {
  if (progressImage) options.copies.emplace_back(kProgressImage, TESSARO_PROGRESS_IMAGE);
  return tweaktest::boot(std::move(settings), std::move(options));
}

void repair(tweaktest::Booted& booted) { booted.device->postNotification("com.brel.tessaro.fixButton"); }

id rootFolderView() {
  id controller = send<id()>(send<id()>(objc::getClass("SBIconController"), "sharedInstance"_sel), "_rootFolderController"_sel);
  return send<id()>(controller, "rootFolderView"_sel);
}

std::vector<id> subviewsOf(id view) {
  std::vector<id> list;
  id array = send<id()>(view, "subviews"_sel);
  for (unsigned long i = 0; i < send<unsigned long()>(array, "count"_sel); ++i) {
    list.push_back(send<id(unsigned long)>(array, "objectAtIndex:"_sel, i));
  }
  return list;
}

// The overlays on the home screen: full-screen black views, the last subviews added.
std::vector<id> overlays() {
  std::vector<id> found;
  const CGSize screen = uikit::screenSize();
  for (id view : subviewsOf(rootFolderView())) {
    const CGRect frame = send<CGRect()>(view, "frame"_sel);
    if (frame.size.width == screen.width && frame.size.height == screen.height && subviewsOf(view).size() == 2) {
      found.push_back(view);
    }
  }
  return found;
}

double shownAlpha(id view) { return quartzcore::presentation(send<id()>(view, "layer"_sel)).opacity; }

// The times of the events of `kind` (and `text`, when given).
std::vector<double> timesOf(const tweaktest::Booted& booted, const std::string& kind, const std::string& text = "") {
  std::vector<double> times;
  for (const core::Event& event : booted.device->log().ofKind(kind)) {
    if (text.empty() || event.text == text) times.push_back(event.time);
  }
  return times;
}

std::optional<bool> isEnabledInFile(const tweaktest::Booted& booted) {
  auto settings = booted.device->readSettings();
  if (!settings || !settings->contains("isEnabled")) return std::nullopt;
  return settings->at("isEnabled").boolValue();
}

TEST(Repair, TheSevenStepsFallAtTheirTimesWithTheOverlayAttachedAndFaded) {
  auto booted = bootForRepair();
  booted.device->runFor(1.0);
  const double start = booted.device->now();
  repair(booted);
  booted.device->runUntil(start);
  ASSERT_EQ(overlays().size(), 1u) << "built and attached at once";
  id overlay = overlays()[0];
  EXPECT_EQ(shownAlpha(overlay), 0.0);
  booted.device->runUntil(start + 0.25);
  EXPECT_GT(shownAlpha(overlay), 0.1);
  EXPECT_LT(shownAlpha(overlay), 0.8) << "fading in";
  booted.device->runUntil(start + 1.0);
  EXPECT_NEAR(shownAlpha(overlay), 0.9, 1e-9);
  EXPECT_EQ(*isEnabledInFile(booted), false) << "switched off at 0.5 s";
  booted.device->runUntil(start + 2.0);
  EXPECT_EQ(send<id()>(overlay, "superview"_sel), nil) << "taken away at 1.5 s";
  EXPECT_EQ(send<CGFloat()>(overlay, "alpha"_sel), 0.0);
  booted.device->runUntil(start + 2.6);
  EXPECT_EQ(send<id()>(overlay, "superview"_sel), rootFolderView()) << "back at 2.5 s";
  booted.device->runUntil(start + 4.5);
  EXPECT_EQ(*isEnabledInFile(booted), true) << "switched on at 3.0 s";
  EXPECT_EQ(send<id()>(overlay, "superview"_sel), rootFolderView()) << "the second lock leaves it";
  booted.device->runUntil(start + 6.0);
  EXPECT_TRUE(overlays().empty()) << "gone at 5.0 s";

  const std::vector<double> home = timesOf(booted, "button", "home (simulated)");
  const std::vector<double> lock = timesOf(booted, "button", "lock (simulated)");
  EXPECT_EQ(home, (std::vector<double>{start, start + 2.5, start + 5.0}));
  EXPECT_EQ(lock, (std::vector<double>{start + 1.5, start + 4.0}));
  std::vector<double> writes;
  for (const core::Event& event : booted.device->log().ofKind("file.write")) {
    if (event.time >= start) writes.push_back(event.time);
  }
  EXPECT_EQ(writes, (std::vector<double>{start + 0.5, start + 3.0}));
  std::vector<double> posts = timesOf(booted, "notification.posted", "com.brel.tessaro.prefschanged");
  EXPECT_EQ(posts, (std::vector<double>{start + 0.5, start + 3.0}));
}

TEST(Repair, TheOverlaysViewsAreAsBuilt) {
  auto booted = bootForRepair();
  repair(booted);
  booted.device->runUntil(0.1);
  ASSERT_EQ(overlays().size(), 1u);
  id overlay = overlays()[0];
  const auto parts = subviewsOf(overlay);
  id status = parts[0], spinner = parts[1];
  const CGSize screen = uikit::screenSize();
  EXPECT_EQ(objc::nameOf(objc::classOf(status)), std::string("UITextView"));
  EXPECT_EQ(foundation::stringOf(send<id()>(status, "text"_sel)), "Fixing TouchID - (1/2)");
  EXPECT_TRUE(CGRectEqualToRect(send<CGRect()>(status, "frame"_sel), CGRectMake(0, screen.height / 2 - 30 - 20, screen.width, 40)));
  EXPECT_EQ(send<BOOL()>(status, "isSelectable"_sel), NO);
  EXPECT_EQ(send<long long()>(status, "textAlignment"_sel), 1);
  EXPECT_EQ(send<BOOL()>(status, "clipsToBounds"_sel), YES);
  EXPECT_EQ(send<CGFloat()>(send<id()>(status, "font"_sel), "pointSize"_sel), 26.0);
  EXPECT_EQ(uikit::colorComponents(send<id()>(status, "textColor"_sel)), (quartzcore::Color{1, 1, 1, 0.95}));
  EXPECT_EQ(uikit::colorComponents(send<id()>(status, "backgroundColor"_sel)), (quartzcore::Color{0, 0, 0, 0}));
  EXPECT_EQ(uikit::colorComponents(send<id()>(overlay, "backgroundColor"_sel)), (quartzcore::Color{0, 0, 0, 1}));
  EXPECT_EQ(send<BOOL()>(send<id()>(overlay, "layer"_sel), "masksToBounds"_sel), NO);
  EXPECT_TRUE(CGRectEqualToRect(send<CGRect()>(spinner, "frame"_sel),
                                CGRectMake(screen.width / 2 - 40, screen.height / 2 + 30 - 40, 80, 80)));
  EXPECT_NE(send<id()>(spinner, "image"_sel), nil);

  // One turn a second from its present rotation. Taking the overlay off the screen at the
  // first lock ends the turning, as it ends every animation in it, and the second start
  // does not add it again: the spinner stands still in the second half.
  id layer = send<id()>(spinner, "layer"_sel);
  auto rotation = [layer] { return std::get<double>(*quartzcore::presentedValue(layer, "transform.rotation.z")); };
  booted.device->runUntil(0.25);
  EXPECT_NEAR(rotation(), std::numbers::pi / 2, 1e-6);
  booted.device->runUntil(1.125);
  EXPECT_NEAR(rotation(), std::numbers::pi / 4, 1e-6);
  booted.device->runUntil(2.75);
  EXPECT_EQ(foundation::stringOf(send<id()>(status, "text"_sel)), "Starting TouchID - (2/2)");
  EXPECT_EQ(rotation(), 0.0);
}

TEST(Repair, TwoOverlappingRunsEachTakeAwayOnlyTheirOwnOverlay) {
  auto booted = bootForRepair();
  repair(booted);
  booted.device->runUntil(0.7);
  repair(booted);
  booted.device->runUntil(0.8);
  const auto both = overlays();
  ASSERT_EQ(both.size(), 2u);
  booted.device->runUntil(1.6);
  EXPECT_EQ(overlays(), std::vector<id>{both[1]}) << "the first run's lock takes the first away";
  booted.device->runUntil(2.3);
  EXPECT_TRUE(overlays().empty());
  booted.device->runUntil(3.3);
  EXPECT_EQ(overlays(), (std::vector<id>{both[0], both[1]}));
  booted.device->runUntil(5.1);
  EXPECT_EQ(overlays(), std::vector<id>{both[1]});
  booted.device->runUntil(6.0);
  EXPECT_TRUE(overlays().empty());
  EXPECT_EQ(timesOf(booted, "button", "home (simulated)").size(), 6u);
  EXPECT_EQ(timesOf(booted, "notification.posted", "com.brel.tessaro.prefschanged").size(), 4u);
}

TEST(Repair, TheTweakEndsOnInTheFileAndInPrefsAndAKeyWrittenMeanwhileSurvives) {
  auto booted = bootForRepair({{"isEnabled", false}, {"tapToWakeMode", 3}});
  repair(booted);
  booted.device->runUntil(0.2);
  // A settings editor writes a key without telling the tweak.
  plist::Dictionary edited = *booted.device->readSettings();
  edited["editorKey"] = "written meanwhile";
  booted.device->writeSettings(edited);
  booted.device->runUntil(6.0);
  const auto file = booted.device->readSettings();
  ASSERT_TRUE(file);
  EXPECT_EQ(file->at("isEnabled"), plist::Value(true));
  EXPECT_EQ(file->at("editorKey"), plist::Value("written meanwhile")) << "kept by both writes";
  EXPECT_EQ(file->at("tapToWakeMode"), plist::Value(3));
  EXPECT_EQ(*booted.tweak->isEnabled, YES);
  EXPECT_EQ(foundation::toValue(send<id(id)>(*booted.tweak->prefs, "objectForKey:"_sel, foundation::makeString("isEnabled").get())),
            plist::Value(true));
}

TEST(Repair, WithNoSettingsFileNothingIsWrittenAndTheNotificationsStillCome) {
  auto booted = bootForRepair();
  std::filesystem::remove(*core::resolve(device::kSettingsPath));
  repair(booted);
  booted.device->runUntil(6.0);
  EXPECT_FALSE(booted.device->readSettings()) << "no file made";
  EXPECT_EQ(timesOf(booted, "notification.posted", "com.brel.tessaro.prefschanged"), (std::vector<double>{0.5, 3.0}));
}

TEST(Repair, WithoutTheProgressImageTheSpinnerShowsNothingAndTheRunIsTheSame) {
  auto booted = bootForRepair({{"isEnabled", true}}, {}, false);
  repair(booted);
  booted.device->runUntil(0.1);
  ASSERT_EQ(overlays().size(), 1u);
  id spinner = subviewsOf(overlays()[0])[1];
  EXPECT_EQ(send<id()>(spinner, "image"_sel), nil);
  EXPECT_TRUE(CGRectEqualToRect(send<CGRect()>(spinner, "bounds"_sel), CGRectMake(0, 0, 80, 80)));
  booted.device->runUntil(6.0);
  EXPECT_EQ(timesOf(booted, "button", "home (simulated)"), (std::vector<double>{0, 2.5, 5.0}));
  EXPECT_EQ(timesOf(booted, "button", "lock (simulated)"), (std::vector<double>{1.5, 4.0}));
}

// Without the home screen's view, or its controller class, the overlay is never seen, but
// every press, write and notification comes on time.
void expectTheTimelineWithoutAnOverlay(device::BootOptions options) {
  auto booted = bootForRepair({{"isEnabled", true}}, std::move(options));
  repair(booted);
  booted.device->runUntil(6.0);
  EXPECT_EQ(timesOf(booted, "button", "home (simulated)"), (std::vector<double>{0, 2.5, 5.0}));
  EXPECT_EQ(timesOf(booted, "button", "lock (simulated)"), (std::vector<double>{1.5, 4.0}));
  EXPECT_EQ(timesOf(booted, "notification.posted", "com.brel.tessaro.prefschanged"), (std::vector<double>{0.5, 3.0}));
  EXPECT_EQ(*booted.tweak->isEnabled, YES);
}

TEST(Repair, WithoutARootFolderViewTheRunKeepsItsTime) {
  device::BootOptions options;
  options.rootFolderView = false;
  expectTheTimelineWithoutAnOverlay(options);
}

TEST(Repair, WithoutSBIconControllerTheRunKeepsItsTime) {
  device::BootOptions options;
  options.absentClasses = {"SBIconController"};
  expectTheTimelineWithoutAnOverlay(options);
}

TEST(Repair, AFadeCutShortRunsTheNextStepAtOnce) {
  auto booted = bootForRepair();
  repair(booted);
  booted.device->runUntil(0.2);
  ASSERT_EQ(overlays().size(), 1u);
  send<void()>(overlays()[0], "removeFromSuperview"_sel);
  booted.device->runUntil(0.2);
  EXPECT_EQ(timesOf(booted, "notification.posted", "com.brel.tessaro.prefschanged"), std::vector<double>{0.2})
      << "switched off as the fade was cut short";
  booted.device->runUntil(6.0);
  EXPECT_EQ(timesOf(booted, "button", "lock (simulated)"), (std::vector<double>{1.2, 3.7}));
}

// Where the picture is lit (the text and the ring over the black backdrop), within rows
// `top` to `bottom` (points): the centre of the lit pixels, in points.
CGPoint litCentre(CGImageRef image, double top, double bottom) {
  const double scale = uikit::screenScale();
  double left = 1e9, right = -1, high = 1e9, low = -1;
  for (auto y = static_cast<std::size_t>(top * scale); y < static_cast<std::size_t>(bottom * scale); ++y) {
    for (std::size_t x = 0; x < CGImageGetWidth(image); ++x) {
      const coregraphics::RGBA8 p = coregraphics::pixelAt(image, x, y);
      if (p.r + p.g + p.b < 3 * 30) continue;
      left = std::min(left, static_cast<double>(x));
      right = std::max(right, static_cast<double>(x));
      high = std::min(high, static_cast<double>(y));
      low = std::max(low, static_cast<double>(y));
    }
  }
  return CGPointMake((left + right + 1) / 2 / scale, (high + low + 1) / 2 / scale);
}

TEST(Repair, AtOneSecondTheScreenShowsTheStatusAboveTheSpinnerAtTheCentre) {
  auto booted = bootForRepair();
  repair(booted);
  booted.device->runUntil(1.0);
  CGImageRef screen = uikit::renderScreen();
  EXPECT_TRUE(testsupport::matchesReference(screen, TESSARO_TEST_REFERENCES "/screen-at-one-second.png"));
  CGImageRelease(screen);
  // The overlay alone, without the home screen behind it.
  ASSERT_EQ(overlays().size(), 1u);
  CGImageRef overlay = uikit::renderView(overlays()[0]);
  const CGSize size = uikit::screenSize();
  const CGPoint text = litCentre(overlay, size.height / 2 - 50, size.height / 2 - 10);
  const CGPoint ring = litCentre(overlay, size.height / 2 - 10, size.height / 2 + 70);
  EXPECT_NEAR(text.x, size.width / 2, 2);
  EXPECT_NEAR(text.y, size.height / 2 - 30, 8) << "the line's middle: its view's 8-point inset sets it a little lower";
  EXPECT_NEAR(ring.x, size.width / 2, 1);
  EXPECT_NEAR(ring.y, size.height / 2 + 30, 1);
  CGImageRelease(overlay);
}

}  // namespace
