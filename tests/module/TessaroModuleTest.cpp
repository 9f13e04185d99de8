// The module's state and commands: setSelected:'s steps, its notifications, its class.

#include "tests/module/ModuleTest.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <vector>

namespace {

using namespace objc::literals;
using objc::send;
using quartzcore::Color;

constexpr Color kTessaroOrange{0xD7 / 255.0, 0x84 / 255.0, 0x49 / 255.0, 1};

void expectColor(const Color& shown, const Color& expected, double tolerance = 1e-6) {
  EXPECT_NEAR(shown.a, expected.a, tolerance);
  if (expected.a > 0) {
    EXPECT_NEAR(shown.r, expected.r, tolerance);
    EXPECT_NEAR(shown.g, expected.g, tolerance);
    EXPECT_NEAR(shown.b, expected.b, tolerance);
  }
}

std::size_t posted(const moduletest::Booted& booted, const char* name) {
  return booted.device->log().count("notification.posted", name);
}

TEST(TessaroModuleClass, IsAToggleModuleWithOneIvarAndItsMethodsInOrder) {
  auto booted = moduletest::boot(std::nullopt);
  ASSERT_NE(booted.module, nil);
  Class cls = objc::classOf(booted.module);
  EXPECT_STREQ(class_getName(cls), "TessaroModule");
  EXPECT_STREQ(class_getName(class_getSuperclass(cls)), "CCUIToggleModule");
  unsigned int count = 0;
  Ivar* ivars = class_copyIvarList(cls, &count);
  ASSERT_EQ(count, 1u);
  EXPECT_STREQ(ivar_getName(ivars[0]), "_selected");
  EXPECT_STREQ(ivar_getTypeEncoding(ivars[0]), "c");
  std::free(ivars);
  Method* methods = class_copyMethodList(cls, &count);
  std::vector<std::string> names;
  for (unsigned int i = 0; i < count; ++i) names.emplace_back(sel_getName(method_getName(methods[i])));
  std::free(methods);
  std::vector<std::string> declared = {"moduleName", "prefs", "CorvelPrefs", "toggleImage:", "iconGlyph",
                                       "selectedIconGlyph", "selectedColor", "isSelected", "setSelected:"};
  // The runtime lists a class's methods newest first.
  if (!names.empty() && names.front() == declared.back()) std::reverse(names.begin(), names.end());
  EXPECT_EQ(names, declared);
}

TEST(TessaroModuleClass, IsLoadedFromItsBundleOnTheDevicesDiskWithItsIdentifier) {
  auto booted = moduletest::boot(std::nullopt);
  ASSERT_EQ(booted.device->moduleBundles().size(), 1u);
  const auto& bundle = booted.device->moduleBundles()[0];
  EXPECT_TRUE(bundle.loaded) << bundle.reason;
  EXPECT_EQ(bundle.bundle, "TessaroModule.bundle");
  id context = send<id()>(booted.module, "contentModuleContext"_sel);
  EXPECT_EQ(foundation::stringOf(send<id()>(context, "moduleIdentifier"_sel)), moduletest::kIdentifier);
  id bundleObject = send<id(Class)>(objc::getClass("NSBundle"), "bundleForClass:"_sel, objc::classOf(booted.module));
  EXPECT_EQ(foundation::stringOf(send<id()>(bundleObject, "bundlePath"_sel)),
            std::string(controlcenter::kModuleBundles) + "/TessaroModule.bundle");
}

std::string shell(const std::string& command) {
  std::string out;
  FILE* pipe = popen(command.c_str(), "r");
  if (pipe == nullptr) return out;
  char buffer[512];
  while (std::fgets(buffer, sizeof buffer, pipe)) out += buffer;
  pclose(pipe);
  return out;
}

TEST(TessaroModuleClass, TheExecutableExportsNothingAndLinksNoOtherDeliverable) {
  const std::string executable = device::Device::builtModuleBundle().string() + "/TessaroModule";
  EXPECT_EQ(shell("nm -D --defined-only '" + executable + "'"), "") << "the class is defined with the runtime at load";
  const std::string needed = shell("readelf -d '" + executable + "' | grep NEEDED");
  EXPECT_NE(needed.find("libplatform_uikit"), std::string::npos) << needed;
  EXPECT_EQ(needed.find("Tessaro"), std::string::npos) << needed;
  EXPECT_EQ(needed.find("platform_device"), std::string::npos) << needed;
  EXPECT_EQ(needed.find("platform_controlcenter"), std::string::npos) << "the host's class is found by name: " << needed;
}

TEST(TessaroModuleState, StartsOffAndNamesItselfWhateverTheSettingsSay) {
  auto booted = moduletest::boot(plist::Dictionary{{"isEnabled", true}}, plist::Dictionary{{"isEnabled", true}});
  EXPECT_EQ(send<BOOL()>(booted.module, "isSelected"_sel), NO);
  EXPECT_EQ(foundation::stringOf(send<id()>(booted.module, "moduleName"_sel)), "TessaroModule");
}

TEST(TessaroModuleState, SelectedWithoutStylingFileIsClearAtOnceWithTheSmallRadiusAndPostsEnabled) {
  auto booted = moduletest::boot(std::nullopt, plist::Dictionary{{"bgTessaroColor", "#112233"}});
  send<void(BOOL)>(booted.module, "setSelected:"_sel, YES);
  EXPECT_EQ(send<BOOL()>(booted.module, "isSelected"_sel), YES);
  EXPECT_EQ(moduletest::cornerRadius(booted.module), 19.0);
  expectColor(moduletest::shownBackground(booted.module), Color{});
  EXPECT_EQ(send<id()>(send<id()>(moduletest::contentView(booted.module), "layer"_sel), "animationKeys"_sel), nil)
      << "set at once, not animated";
  EXPECT_EQ(posted(booted, "com.brel.tessaro.setEnabled"), 1u);
  EXPECT_EQ(posted(booted, "com.brel.tessaro.setDisabled"), 0u);
}

TEST(TessaroModuleState, ColouredTogglesAnimateOverHalfASecondToTheFallbackColour) {
  auto booted = moduletest::boot(plist::Dictionary{{"isColoredTogglesEnabled", true}});
  send<void(BOOL)>(booted.module, "setSelected:"_sel, YES);
  expectColor(moduletest::shownBackground(booted.module), Color{});
  booted.device->runFor(0.25);
  // Half way in time and, eased in and out, half way in colour: the hue at half strength.
  expectColor(moduletest::shownBackground(booted.module), Color{kTessaroOrange.r, kTessaroOrange.g, kTessaroOrange.b, 0.5},
              1e-6);
  booted.device->runFor(0.25);
  expectColor(moduletest::shownBackground(booted.module), kTessaroOrange);
  EXPECT_EQ(posted(booted, "com.brel.tessaro.setEnabled"), 1u);
}

TEST(TessaroModuleState, TheColourComesFromTheSettingsFileAtTheTimeTheAnimationStarts) {
  auto booted = moduletest::boot(plist::Dictionary{{"isColoredTogglesEnabled", true}, {"isEnabled", false}},
                                 plist::Dictionary{{"bgTessaroColor", "#3366CC"}});
  send<void(BOOL)>(booted.module, "setSelected:"_sel, YES);
  booted.device->runFor(0.5);
  // Coloured although the styling's master switch is off.
  expectColor(moduletest::shownBackground(booted.module), Color{0x33 / 255.0, 0x66 / 255.0, 0xCC / 255.0, 1});
  booted.device->writeSettings(plist::Dictionary{{"bgTessaroColor", "not a colour"}});
  send<void(BOOL)>(booted.module, "setSelected:"_sel, YES);
  booted.device->runFor(0.5);
  // A string that names no colour.
  expectColor(moduletest::shownBackground(booted.module), kTessaroOrange);
}

TEST(TessaroModuleState, DeselectingAnimatesToClearEvenWhenColouredAndPostsDisabled) {
  auto booted = moduletest::boot(plist::Dictionary{{"isColoredTogglesEnabled", true}, {"isRoundIconsEnabled", true}});
  send<void(BOOL)>(booted.module, "setSelected:"_sel, YES);
  booted.device->runFor(1);
  EXPECT_EQ(moduletest::cornerRadius(booted.module), 32.0);
  send<void(BOOL)>(booted.module, "setSelected:"_sel, NO);
  EXPECT_EQ(moduletest::cornerRadius(booted.module), 32.0) << "the radius is the same in both states";
  booted.device->runFor(0.25);
  EXPECT_NEAR(moduletest::shownBackground(booted.module).a, 0.5, 1e-6);
  booted.device->runFor(0.25);
  expectColor(moduletest::shownBackground(booted.module), Color{});
  EXPECT_EQ(posted(booted, "com.brel.tessaro.setDisabled"), 1u);
  EXPECT_EQ(send<BOOL()>(booted.module, "isSelected"_sel), NO);
}

TEST(TessaroModuleState, EveryCallPostsAlsoWithAnUnchangedValue) {
  auto booted = moduletest::boot(std::nullopt);
  send<void(BOOL)>(booted.module, "setSelected:"_sel, NO);
  send<void(BOOL)>(booted.module, "setSelected:"_sel, NO);
  send<void(BOOL)>(booted.module, "setSelected:"_sel, YES);
  send<void(BOOL)>(booted.module, "setSelected:"_sel, YES);
  EXPECT_EQ(posted(booted, "com.brel.tessaro.setDisabled"), 2u);
  EXPECT_EQ(posted(booted, "com.brel.tessaro.setEnabled"), 2u);
  // Nobody observes them without the tweak: nothing is written.
  booted.device->runUntilIdle();
  EXPECT_EQ(booted.device->log().count("file.write"), 0u);
}

TEST(TessaroModuleState, SettingTheStateRefreshesTheToggleThroughTheBaseClass) {
  auto booted = moduletest::boot(std::nullopt);
  id controller = send<id()>(booted.module, "contentViewController"_sel);
  send<id()>(controller, "view"_sel);
  const auto before = booted.device->log().count("host", "-[CCUIToggleViewController refreshState]");
  send<void(BOOL)>(booted.module, "setSelected:"_sel, YES);
  EXPECT_EQ(booted.device->log().count("host", "-[CCUIToggleViewController refreshState]"), before + 1);
  EXPECT_EQ(send<BOOL()>(send<id()>(controller, "buttonView"_sel), "isSelected"_sel), YES);
}

}  // namespace
