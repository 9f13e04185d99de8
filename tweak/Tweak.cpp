// Start-up: the notification observers, the first settings load, and the hook table.
// The substrate loads this library into SpringBoard; its initialisers run in this order:
// the CMMotionManager category (priority 101), the constructor (102), the hooks (103).

#include "platform/foundation/CFNotificationCenter.h"
#include "platform/foundation/Literals.h"
#include "platform/objc/ClassBuilder.h"
#include "platform/substrate/Substrate.h"
#include "tweak/Settings.h"
#include "tweak/homebutton/SBDashBoardViewController.h"
#include "tweak/homebutton/SBHomeHardwareButton.h"
#include "tweak/homebutton/SBHomeHardwareButtonGestureRecognizerConfiguration.h"
#include "tweak/homebutton/SBReachabilityManager.h"
#include "tweak/homebutton/SBReachabilitySettings.h"
#include "tweak/homebutton/SBReachabilityWindow.h"
#include "tweak/homebutton/SBUIBiometricResource.h"
#include "tweak/motion/SBBacklightController.h"
#include "tweak/motion/SBLockScreenManager.h"
#include "tweak/repair/Repair.h"
#include "tweak/styling/CCUIModularControlCenterOverlayViewController.h"
#include "tweak/styling/CCUIToggleViewController.h"

#include <initializer_list>

namespace {

// A row replaces a host method keeping its implementation in a slot, or adds a method
// with the given encoding; either way the C++ types are checked against the method's.
struct HookRow {
  const char* selector;
  void (*apply)(Class, SEL);
};

struct HookedClass {
  const char* name;
  std::initializer_list<HookRow> rows;
};

template <auto Replacement, auto* Slot>
void replace(Class cls, SEL sel) {
  substrate::hookMessage(cls, sel, Replacement, Slot);
}

template <auto Implementation, objc::FixedString Types>
void add(Class cls, SEL sel) {
  objc::addMethod(cls, sel, Implementation, Types.chars);
}

namespace LS = hooks::SBLockScreenManager;
namespace GC = hooks::SBHomeHardwareButtonGestureRecognizerConfiguration;
namespace HB = hooks::SBHomeHardwareButton;
namespace BR = hooks::SBUIBiometricResource;
namespace TV = hooks::CCUIToggleViewController;
namespace CC = hooks::CCUIModularControlCenterOverlayViewController;
namespace DB = hooks::SBDashBoardViewController;
namespace BL = hooks::SBBacklightController;

// Installation order: classes in this order, each class's rows in this order.
const std::initializer_list<HookedClass> hookTable = {
    {"SBLockScreenManager",
     {{"lockScreenViewControllerDidPresent", replace<&LS::lockScreenViewControllerDidPresent, &LS::orig_lockScreenViewControllerDidPresent>},
      {"lockScreenViewControllerDidDismiss", replace<&LS::lockScreenViewControllerDidDismiss, &LS::orig_lockScreenViewControllerDidDismiss>},
      {"getAcceleration", add<&LS::getAcceleration, "v@:">},
      {"updateMotionType", add<&LS::updateMotionType, "v@:">},
      {"disableDetection", add<&LS::disableDetection, "v@:">},
      {"motionManager", add<&LS::motionManager, "@@:">},
      {"setMotionManager:", add<&LS::setMotionManager, "v@:@">}}},
    {"SBHomeHardwareButtonGestureRecognizerConfiguration",
     {{"singleTapGestureRecognizer", add<&GC::singleTapGestureRecognizer, "@@:">},
      {"setSingleTapGestureRecognizer:", add<&GC::setSingleTapGestureRecognizer, "v@:@">},
      {"longTapGestureRecognizer", add<&GC::longTapGestureRecognizer, "@@:">},
      {"setLongTapGestureRecognizer:", add<&GC::setLongTapGestureRecognizer, "v@:@">},
      {"tapAndHoldTapGestureRecognizer", add<&GC::tapAndHoldTapGestureRecognizer, "@@:">},
      {"setTapAndHoldTapGestureRecognizer:", add<&GC::setTapAndHoldTapGestureRecognizer, "v@:@">}}},
    {"SBHomeHardwareButton",
     {{"performTheAction", add<&HB::performTheAction, "v@:">},
      {"doubleTapUp:", replace<&HB::doubleTapUp, &HB::orig_doubleTapUp>},
      {"singleTapUpFired:", add<&HB::singleTapUpFired, "v@:@">},
      {"longTapFired:", add<&HB::longTapFired, "v@:@">},
      {"tapAndHoldFired:", add<&HB::tapAndHoldFired, "v@:@">},
      {"createSingleTapGestureRecognizerWithConf:", add<&HB::createSingleTapGestureRecognizerWithConf, "v@:@">},
      {"createLongTapGestureRecognizerWithConf:", add<&HB::createLongTapGestureRecognizerWithConf, "v@:@">},
      {"createTapAndHoldGestureRecognizerWithConf:", add<&HB::createTapAndHoldGestureRecognizerWithConf, "v@:@">},
      {"_createGestureRecognizersWithConfiguration:",
       replace<&HB::createGestureRecognizersWithConfiguration, &HB::orig_createGestureRecognizersWithConfiguration>},
      {"setGestureRecognizerConfiguration:",
       replace<&HB::setGestureRecognizerConfiguration, &HB::orig_setGestureRecognizerConfiguration>},
      {"gestureRecognizer:shouldRecognizeSimultaneouslyWithGestureRecognizer:",
       replace<&HB::shouldRecognizeSimultaneously, &HB::orig_shouldRecognizeSimultaneously>}}},
    {"SBReachabilityManager",
     {{"toggleReachability",
       replace<&hooks::SBReachabilityManager::toggleReachability, &hooks::SBReachabilityManager::orig_toggleReachability>}}},
    {"SBReachabilityWindow",
     {{"initWithWallpaperVariant:", replace<&hooks::SBReachabilityWindow::initWithWallpaperVariant,
                                            &hooks::SBReachabilityWindow::orig_initWithWallpaperVariant>}}},
    {"SBReachabilitySettings",
     {{"setYOffsetFactor:",
       replace<&hooks::SBReachabilitySettings::setYOffsetFactor, &hooks::SBReachabilitySettings::orig_setYOffsetFactor>},
      {"setSystemWideSwipeDownHeight:", replace<&hooks::SBReachabilitySettings::setSystemWideSwipeDownHeight,
                                                &hooks::SBReachabilitySettings::orig_setSystemWideSwipeDownHeight>}}},
    {"SBUIBiometricResource",
     {{"noteScreenDidTurnOff", replace<&BR::noteScreenDidTurnOff, &BR::orig_noteScreenDidTurnOff>},
      {"disableDetection", add<&BR::disableDetection, "v@:">}}},
    {"CCUIToggleViewController",
     {{"viewDidLoad", replace<&TV::viewDidLoad, &TV::orig_viewDidLoad>},
      {"refreshState", replace<&TV::refreshState, &TV::orig_refreshState>}}},
    {"CCUIModularControlCenterOverlayViewController",
     {{"_beginPresentationAnimated:interactive:", replace<&CC::beginPresentationAnimated, &CC::orig_beginPresentationAnimated>}}},
    {"SBDashBoardViewController",
     {{"_displayWillTurnOnWhileOnDashBoard:",
       replace<&DB::displayWillTurnOnWhileOnDashBoard, &DB::orig_displayWillTurnOnWhileOnDashBoard>},
      {"handleBiometricEvent:", replace<&DB::handleBiometricEvent, &DB::orig_handleBiometricEvent>},
      {"setInScreenOffMode:forAutoUnlock:fromUnlockSource:", replace<&DB::setInScreenOffMode, &DB::orig_setInScreenOffMode>},
      {"finishUIUnlockFromSource:", replace<&DB::finishUIUnlockFromSource, &DB::orig_finishUIUnlockFromSource>}}},
    {"SBBacklightController",
     {{"preventIdleSleepForNumberOfSeconds:",
       replace<&BL::preventIdleSleepForNumberOfSeconds, &BL::orig_preventIdleSleepForNumberOfSeconds>}}},
};

__attribute__((constructor(102))) void tessaroConstructor() {
  CFNotificationCenterRef center = CFNotificationCenterGetDarwinNotifyCenter();
  const auto coalesce = CFNotificationSuspensionBehaviorCoalesce;
  CFNotificationCenterAddObserver(center, nullptr, PreferencesChangedCallback, CFSTR("com.brel.tessaro.prefschanged"),
                                  nullptr, coalesce);
  CFNotificationCenterAddObserver(center, nullptr, setEnabled, CFSTR("com.brel.tessaro.setEnabled"), nullptr, coalesce);
  CFNotificationCenterAddObserver(center, nullptr, setDisabled, CFSTR("com.brel.tessaro.setDisabled"), nullptr, coalesce);
  CFNotificationCenterAddObserver(center, nullptr, fixButton, CFSTR("com.brel.tessaro.fixButton"), nullptr, coalesce);
  refreshPrefs();
}

// A class that is not loaded gets none of its rows; a missing selector skips its row.
__attribute__((constructor(103))) void installHooks() {
  for (const HookedClass& hooked : hookTable) {
    Class cls = objc_getClass(hooked.name);
    for (const HookRow& row : hooked.rows) row.apply(cls, sel_registerName(row.selector));
  }
}

}  // namespace
