// Start-up: the notification observers, the first settings load, and the hook table.
// The substrate loads this library into SpringBoard; its initialiser attaches the
// CMMotionManager category, then runs the constructor, then installs the hooks, in that
// order, in one function: the phone's loader keeps no priorities between initialisers.

#include "platform/foundation/CFNotificationCenter.h"
#include "platform/foundation/Literals.h"
#include "platform/objc/Encoding.h"
#include "platform/substrate/Substrate.h"
#include "tweak/HookTable.h"
#include "tweak/Settings.h"
#include "tweak/homebutton/SBDashBoardViewController.h"
#include "tweak/homebutton/SBHomeHardwareButton.h"
#include "tweak/homebutton/SBHomeHardwareButtonGestureRecognizerConfiguration.h"
#include "tweak/homebutton/SBReachabilityManager.h"
#include "tweak/homebutton/SBReachabilitySettings.h"
#include "tweak/homebutton/SBReachabilityWindow.h"
#include "tweak/homebutton/SBUIBiometricResource.h"
#include "tweak/motion/SBBacklightController.h"
#include "tweak/motion/MotionManagerUpdate.h"
#include "tweak/motion/SBLockScreenManager.h"
#include "tweak/repair/Repair.h"
#include "tweak/styling/CCUIModularControlCenterOverlayViewController.h"
#include "tweak/styling/CCUIToggleViewController.h"

#include <initializer_list>

namespace {

template <auto Replacement, auto* Slot>
void replace(Class cls, SEL sel) {
  substrate::hook(cls, sel, Replacement, Slot);
}

// The encoding given is the one the runtime keeps; the implementation's C++ type must be
// the same, or this does not compile.
template <auto Implementation, objc::FixedString Types>
void add(Class cls, SEL sel) {
  static_assert(objc::sameEncoding(objc::encodingOf<decltype(Implementation)>(), Types.chars),
                "an added method's implementation must have the encoding it is added with");
  class_addMethod(cls, sel, objc::toImp(Implementation), Types.chars);
}

// A row that replaces a host method, keeping its implementation in a slot.
template <auto Replacement, auto* Slot>
constexpr HookRow replaceRow(const char* selector) {
  return {selector, &replace<Replacement, Slot>, objc::encodingOf<decltype(Replacement)>(), false};
}

// A row that adds a method with the given encoding.
template <auto Implementation, objc::FixedString Types>
constexpr HookRow addRow(const char* selector) {
  return {selector, &add<Implementation, Types>, objc::encodingOf<decltype(Implementation)>(), true};
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
constexpr HookedClass hookTable[] = {
    {"SBLockScreenManager",
     {replaceRow<&LS::lockScreenViewControllerDidPresent, &LS::orig_lockScreenViewControllerDidPresent>("lockScreenViewControllerDidPresent"),
      replaceRow<&LS::lockScreenViewControllerDidDismiss, &LS::orig_lockScreenViewControllerDidDismiss>("lockScreenViewControllerDidDismiss"),
      addRow<&LS::getAcceleration, "v@:">("getAcceleration"),
      addRow<&LS::updateMotionType, "v@:">("updateMotionType"),
      addRow<&LS::disableDetection, "v@:">("disableDetection"),
      addRow<&LS::motionManager, "@@:">("motionManager"),
      addRow<&LS::setMotionManager, "v@:@">("setMotionManager:")}},
    {"SBHomeHardwareButtonGestureRecognizerConfiguration",
     {addRow<&GC::singleTapGestureRecognizer, "@@:">("singleTapGestureRecognizer"),
      addRow<&GC::setSingleTapGestureRecognizer, "v@:@">("setSingleTapGestureRecognizer:"),
      addRow<&GC::longTapGestureRecognizer, "@@:">("longTapGestureRecognizer"),
      addRow<&GC::setLongTapGestureRecognizer, "v@:@">("setLongTapGestureRecognizer:"),
      addRow<&GC::tapAndHoldTapGestureRecognizer, "@@:">("tapAndHoldTapGestureRecognizer"),
      addRow<&GC::setTapAndHoldTapGestureRecognizer, "v@:@">("setTapAndHoldTapGestureRecognizer:")}},
    {"SBHomeHardwareButton",
     {addRow<&HB::performTheAction, "v@:">("performTheAction"),
      replaceRow<&HB::doubleTapUp, &HB::orig_doubleTapUp>("doubleTapUp:"),
      addRow<&HB::singleTapUpFired, "v@:@">("singleTapUpFired:"),
      addRow<&HB::longTapFired, "v@:@">("longTapFired:"),
      addRow<&HB::tapAndHoldFired, "v@:@">("tapAndHoldFired:"),
      addRow<&HB::createSingleTapGestureRecognizerWithConf, "v@:@">("createSingleTapGestureRecognizerWithConf:"),
      addRow<&HB::createLongTapGestureRecognizerWithConf, "v@:@">("createLongTapGestureRecognizerWithConf:"),
      addRow<&HB::createTapAndHoldGestureRecognizerWithConf, "v@:@">("createTapAndHoldGestureRecognizerWithConf:"),
      replaceRow<&HB::createGestureRecognizersWithConfiguration, &HB::orig_createGestureRecognizersWithConfiguration>("_createGestureRecognizersWithConfiguration:"),
      replaceRow<&HB::setGestureRecognizerConfiguration, &HB::orig_setGestureRecognizerConfiguration>("setGestureRecognizerConfiguration:"),
      replaceRow<&HB::shouldRecognizeSimultaneously, &HB::orig_shouldRecognizeSimultaneously>("gestureRecognizer:shouldRecognizeSimultaneouslyWithGestureRecognizer:")}},
    {"SBReachabilityManager",
     {replaceRow<&hooks::SBReachabilityManager::toggleReachability, &hooks::SBReachabilityManager::orig_toggleReachability>("toggleReachability")}},
    {"SBReachabilityWindow",
     {replaceRow<&hooks::SBReachabilityWindow::initWithWallpaperVariant, &hooks::SBReachabilityWindow::orig_initWithWallpaperVariant>("initWithWallpaperVariant:")}},
    {"SBReachabilitySettings",
     {replaceRow<&hooks::SBReachabilitySettings::setYOffsetFactor, &hooks::SBReachabilitySettings::orig_setYOffsetFactor>("setYOffsetFactor:"),
      replaceRow<&hooks::SBReachabilitySettings::setSystemWideSwipeDownHeight, &hooks::SBReachabilitySettings::orig_setSystemWideSwipeDownHeight>("setSystemWideSwipeDownHeight:")}},
    {"SBUIBiometricResource",
     {replaceRow<&BR::noteScreenDidTurnOff, &BR::orig_noteScreenDidTurnOff>("noteScreenDidTurnOff"),
      addRow<&BR::disableDetection, "v@:">("disableDetection")}},
    {"CCUIToggleViewController",
     {replaceRow<&TV::viewDidLoad, &TV::orig_viewDidLoad>("viewDidLoad"),
      replaceRow<&TV::refreshState, &TV::orig_refreshState>("refreshState")}},
    {"CCUIModularControlCenterOverlayViewController",
     {replaceRow<&CC::beginPresentationAnimated, &CC::orig_beginPresentationAnimated>("_beginPresentationAnimated:interactive:")}},
    {"SBDashBoardViewController",
     {replaceRow<&DB::displayWillTurnOnWhileOnDashBoard, &DB::orig_displayWillTurnOnWhileOnDashBoard>("_displayWillTurnOnWhileOnDashBoard:"),
      replaceRow<&DB::handleBiometricEvent, &DB::orig_handleBiometricEvent>("handleBiometricEvent:"),
      replaceRow<&DB::setInScreenOffMode, &DB::orig_setInScreenOffMode>("setInScreenOffMode:forAutoUnlock:fromUnlockSource:"),
      replaceRow<&DB::finishUIUnlockFromSource, &DB::orig_finishUIUnlockFromSource>("finishUIUnlockFromSource:")}},
    {"SBBacklightController",
     {replaceRow<&BL::preventIdleSleepForNumberOfSeconds, &BL::orig_preventIdleSleepForNumberOfSeconds>("preventIdleSleepForNumberOfSeconds:")}},
};

void tessaroConstructor() {
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
void installHooks() {
  for (const HookedClass& hooked : hookTable) {
    Class cls = objc_getClass(hooked.name);
    for (const HookRow& row : hooked.rows) row.apply(cls, sel_registerName(row.selector));
  }
}

__attribute__((constructor)) void loadTessaro() {
  attachUpdateCategory();
  tessaroConstructor();
  installHooks();
}

}  // namespace

HookTableView hookTableForInspection() { return {hookTable, sizeof hookTable / sizeof hookTable[0]}; }
