#include "platform/objc/ClassBuilder.h"
#include "platform/objc/Encoding.h"
#include "platform/objc/Singleton.h"
#include "tests/tweak/TweakTest.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

using namespace objc::literals;

struct Row {
  std::string cls;
  std::string selector;
  std::string types;  // for an added method; empty for a replaced one
};

// The hook table, in installation order.
const std::vector<Row> kTable = {
    {"SBLockScreenManager", "lockScreenViewControllerDidPresent", ""},
    {"SBLockScreenManager", "lockScreenViewControllerDidDismiss", ""},
    {"SBLockScreenManager", "getAcceleration", "v@:"},
    {"SBLockScreenManager", "updateMotionType", "v@:"},
    {"SBLockScreenManager", "disableDetection", "v@:"},
    {"SBLockScreenManager", "motionManager", "@@:"},
    {"SBLockScreenManager", "setMotionManager:", "v@:@"},
    {"SBHomeHardwareButtonGestureRecognizerConfiguration", "singleTapGestureRecognizer", "@@:"},
    {"SBHomeHardwareButtonGestureRecognizerConfiguration", "setSingleTapGestureRecognizer:", "v@:@"},
    {"SBHomeHardwareButtonGestureRecognizerConfiguration", "longTapGestureRecognizer", "@@:"},
    {"SBHomeHardwareButtonGestureRecognizerConfiguration", "setLongTapGestureRecognizer:", "v@:@"},
    {"SBHomeHardwareButtonGestureRecognizerConfiguration", "tapAndHoldTapGestureRecognizer", "@@:"},
    {"SBHomeHardwareButtonGestureRecognizerConfiguration", "setTapAndHoldTapGestureRecognizer:", "v@:@"},
    {"SBHomeHardwareButton", "performTheAction", "v@:"},
    {"SBHomeHardwareButton", "doubleTapUp:", ""},
    {"SBHomeHardwareButton", "singleTapUpFired:", "v@:@"},
    {"SBHomeHardwareButton", "longTapFired:", "v@:@"},
    {"SBHomeHardwareButton", "tapAndHoldFired:", "v@:@"},
    {"SBHomeHardwareButton", "createSingleTapGestureRecognizerWithConf:", "v@:@"},
    {"SBHomeHardwareButton", "createLongTapGestureRecognizerWithConf:", "v@:@"},
    {"SBHomeHardwareButton", "createTapAndHoldGestureRecognizerWithConf:", "v@:@"},
    {"SBHomeHardwareButton", "_createGestureRecognizersWithConfiguration:", ""},
    {"SBHomeHardwareButton", "setGestureRecognizerConfiguration:", ""},
    {"SBHomeHardwareButton", "gestureRecognizer:shouldRecognizeSimultaneouslyWithGestureRecognizer:", ""},
    {"SBReachabilityManager", "toggleReachability", ""},
    {"SBReachabilityWindow", "initWithWallpaperVariant:", ""},
    {"SBReachabilitySettings", "setYOffsetFactor:", ""},
    {"SBReachabilitySettings", "setSystemWideSwipeDownHeight:", ""},
    {"SBUIBiometricResource", "noteScreenDidTurnOff", ""},
    {"SBUIBiometricResource", "disableDetection", "v@:"},
    {"CCUIToggleViewController", "viewDidLoad", ""},
    {"CCUIToggleViewController", "refreshState", ""},
    {"CCUIModularControlCenterOverlayViewController", "_beginPresentationAnimated:interactive:", ""},
    {"SBDashBoardViewController", "_displayWillTurnOnWhileOnDashBoard:", ""},
    {"SBDashBoardViewController", "handleBiometricEvent:", ""},
    {"SBDashBoardViewController", "setInScreenOffMode:forAutoUnlock:fromUnlockSource:", ""},
    {"SBDashBoardViewController", "finishUIUnlockFromSource:", ""},
    {"SBBacklightController", "preventIdleSleepForNumberOfSeconds:", ""},
};

// The tweak's rows among the hook events: the category's two methods come first.
std::vector<core::Event> tableEvents(const core::EventLog& log) {
  std::vector<core::Event> rows;
  for (const core::Event& event : log.ofKind("hook")) {
    if (event.fields["class"] != "CMMotionManager") rows.push_back(event);
  }
  return rows;
}

TEST(HookTable, InstallsEveryRowInOrderWithItsEncoding) {
  auto booted = tweaktest::boot(plist::Dictionary{{"isEnabled", true}});
  const auto rows = tableEvents(booted.device->log());
  ASSERT_EQ(rows.size(), kTable.size());
  for (std::size_t i = 0; i < kTable.size(); ++i) {
    SCOPED_TRACE(kTable[i].cls + " " + kTable[i].selector);
    EXPECT_EQ(rows[i].fields["class"], kTable[i].cls);
    EXPECT_EQ(rows[i].fields["selector"], kTable[i].selector);
    EXPECT_EQ(rows[i].fields["result"], kTable[i].types.empty() ? "hooked" : "added");
    if (!kTable[i].types.empty()) {
      EXPECT_EQ(rows[i].fields["types"], kTable[i].types);
    }
  }
}

// Each replacement is called with the host method's arguments: its C++ type must be the
// host method's, or the first call corrupts memory. Checked against the table the library
// was built with, which is also the table above.
TEST(HookTable, EveryReplacementHasTheTypesOfTheHostMethodItReplaces) {
  auto booted = tweaktest::boot(plist::Dictionary{{"isEnabled", true}});
  const HookTableView table = booted.tweak->hookTable();
  std::size_t row = 0;
  for (std::size_t c = 0; c < table.count; ++c) {
    const HookedClass& hooked = table.classes[c];
    Class cls = objc::getClass(hooked.name);
    ASSERT_NE(cls, Nil) << hooked.name;
    for (const HookRow& entry : hooked.rows) {
      ASSERT_LT(row, kTable.size());
      EXPECT_EQ(hooked.name, kTable[row].cls);
      EXPECT_EQ(entry.selector, kTable[row].selector);
      EXPECT_EQ(entry.adds, !kTable[row].types.empty()) << entry.selector;
      ++row;
      if (entry.adds) continue;
      Method replaced = class_getInstanceMethod(cls, sel_registerName(entry.selector));
      ASSERT_NE(replaced, nullptr) << entry.selector;
      EXPECT_TRUE(objc::sameEncoding(entry.types, method_getTypeEncoding(replaced)))
          << "-[" << hooked.name << " " << entry.selector << "]: replacement " << entry.types << ", host "
          << method_getTypeEncoding(replaced);
    }
  }
  EXPECT_EQ(row, kTable.size());
}

TEST(HookTable, AttachesTheMotionManagerCategoryFirst) {
  auto booted = tweaktest::boot(std::nullopt);
  const auto hooks = booted.device->log().ofKind("hook");
  ASSERT_GE(hooks.size(), 2u);
  EXPECT_EQ(hooks[0].text, "-[CMMotionManager update] added");
  EXPECT_EQ(hooks[0].fields["types"], "v16@0:8");
  EXPECT_EQ(hooks[1].text, "-[CMMotionManager updateData] added");
}

TEST(HookTable, AHostWithoutOneClassStillGetsEveryOtherHook) {
  device::BootOptions options;
  options.absentClasses = {"SBReachabilitySettings"};
  auto booted = tweaktest::boot(plist::Dictionary{{"isEnabled", true}}, options);
  const auto rows = tableEvents(booted.device->log());
  ASSERT_EQ(rows.size(), kTable.size());
  for (std::size_t i = 0; i < kTable.size(); ++i) {
    const bool absent = kTable[i].cls == "SBReachabilitySettings";
    EXPECT_EQ(rows[i].fields["result"] == "skipped: class not loaded", absent) << kTable[i].selector;
    EXPECT_EQ(rows[i].fields["class"], kTable[i].cls);
  }
  // The other reachability replacements run and call through to the host.
  objc::AutoreleasePool pool;
  id manager = objc::send<id()>(objc::getClass("SBReachabilityManager"), "sharedInstance"_sel);
  objc::send<void()>(manager, "toggleReachability"_sel);
  EXPECT_EQ(booted.device->log().count("host", "-[SBReachabilityManager toggleReachability]"), 1u);
}

int hostsOwnPerformTheAction = 0;
void hostPerformTheAction(id, SEL) { ++hostsOwnPerformTheAction; }

TEST(HookTable, AnAddedMethodTheHostAlreadyHasKeepsTheHosts) {
  device::BootOptions options;
  options.beforeLoad = [] {
    objc::addMethod(objc::getClass("SBHomeHardwareButton"), "performTheAction"_sel, &hostPerformTheAction, "v@:");
  };
  auto booted = tweaktest::boot(plist::Dictionary{{"isEnabled", true}}, options);
  EXPECT_EQ(booted.device->log().count("hook", "-[SBHomeHardwareButton performTheAction] kept host's"), 1u);
  objc::Ref button = objc::Ref::adopt(objc::send<id()>(objc::getClass("SBHomeHardwareButton"), "new"_sel));
  objc::send<void()>(button, "performTheAction"_sel);
  EXPECT_EQ(hostsOwnPerformTheAction, 1);
}

}  // namespace
