// Every host method the tweak replaces, one row each: when the tweak's own condition does
// not decide, the host's implementation runs exactly once, with the receiver and the
// arguments unchanged, at its fixed point: before the tweak's own work, after it, or with
// the argument the tweak leaves alone. The host's methods are wrapped by probes before the
// tweak loads, so the tweak's slots hold the probes and every call-through passes one.

#include "platform/controlcenter/ControlCenter.h"
#include "platform/core/RunLoop.h"
#include "platform/hardware/Display.h"
#include "platform/objc/ClassBuilder.h"
#include "platform/springboard/SpringBoard.h"
#include "tests/tweak/TweakTest.h"

#include <gtest/gtest.h>

#include <functional>
#include <map>
#include <optional>
#include <set>
#include <sstream>
#include <string>
#include <vector>

namespace {

using namespace objc::literals;
using objc::send;

std::string text(id object) {
  std::ostringstream out;
  out << "@" << static_cast<const void*>(object);
  return out.str();
}
std::string text(BOOL value) { return value ? "YES" : "NO"; }
std::string text(int value) { return std::to_string(value); }
std::string text(long long value) { return std::to_string(value); }
std::string text(double value) {
  std::ostringstream out;
  out << value;
  return out.str();
}
std::string text(float value) { return text(static_cast<double>(value)); }

struct Call {
  id receiver;
  std::vector<std::string> arguments;
  std::string observed;  // the tweak's state as the host's implementation runs
};

std::map<std::string, std::vector<Call>> calls;  // by "Class selector"
std::function<std::string()> observe = [] { return std::string(); };

// Wraps the host's implementation of one selector: records, then runs it (or, when
// `answer` is set, answers that instead, so that passing the host's answer on shows).
template <objc::FixedString Selector, class R, class... Args>
struct Probe {
  static inline IMP host = nullptr;
  static inline std::string key;
  static inline std::optional<R> answer;

  static R call(id self, SEL sel, Args... args) {
    calls[key].push_back({self, {text(args)...}, observe()});
    if constexpr (!std::is_void_v<R>) {
      if (answer) return *answer;
    }
    return objc::impAs<R (*)(id, SEL, Args...)>(host)(self, sel, args...);
  }
  static void install(const char* className) {
    key = std::string(className) + " " + Selector.chars;
    Method method = class_getInstanceMethod(objc::getClass(className), sel_registerName(Selector.chars));
    if (method == nullptr) FAIL() << "the host lacks " << key;
    host = method_setImplementation(method, objc::toImp(&call));
  }
};

template <objc::FixedString Selector, class... Args>
struct Probe<Selector, void, Args...> {
  static inline IMP host = nullptr;
  static inline std::string key;
  static void call(id self, SEL sel, Args... args) {
    calls[key].push_back({self, {text(args)...}, observe()});
    objc::impAs<void (*)(id, SEL, Args...)>(host)(self, sel, args...);
  }
  static void install(const char* className) {
    key = std::string(className) + " " + Selector.chars;
    Method method = class_getInstanceMethod(objc::getClass(className), sel_registerName(Selector.chars));
    if (method == nullptr) FAIL() << "the host lacks " << key;
    host = method_setImplementation(method, objc::toImp(&call));
  }
};

using DoubleTapRecognizers = Probe<"gestureRecognizer:shouldRecognizeSimultaneouslyWithGestureRecognizer:", BOOL, id, id>;

void installProbes() {
  Probe<"lockScreenViewControllerDidPresent", void>::install("SBLockScreenManager");
  Probe<"lockScreenViewControllerDidDismiss", void>::install("SBLockScreenManager");
  Probe<"doubleTapUp:", void, id>::install("SBHomeHardwareButton");
  Probe<"_createGestureRecognizersWithConfiguration:", void, id>::install("SBHomeHardwareButton");
  Probe<"setGestureRecognizerConfiguration:", void, id>::install("SBHomeHardwareButton");
  DoubleTapRecognizers::install("SBHomeHardwareButton");
  Probe<"toggleReachability", void>::install("SBReachabilityManager");
  Probe<"initWithWallpaperVariant:", id, long long>::install("SBReachabilityWindow");
  Probe<"setYOffsetFactor:", void, double>::install("SBReachabilitySettings");
  Probe<"setSystemWideSwipeDownHeight:", void, double>::install("SBReachabilitySettings");
  Probe<"noteScreenDidTurnOff", void>::install("SBUIBiometricResource");
  Probe<"viewDidLoad", void>::install("CCUIToggleViewController");
  Probe<"refreshState", void>::install("CCUIToggleViewController");
  Probe<"_beginPresentationAnimated:interactive:", void, BOOL, BOOL>::install("CCUIModularControlCenterOverlayViewController");
  Probe<"_displayWillTurnOnWhileOnDashBoard:", void, id>::install("SBDashBoardViewController");
  Probe<"handleBiometricEvent:", void, long long>::install("SBDashBoardViewController");
  Probe<"setInScreenOffMode:forAutoUnlock:fromUnlockSource:", void, BOOL, BOOL, int>::install("SBDashBoardViewController");
  Probe<"finishUIUnlockFromSource:", void, int>::install("SBDashBoardViewController");
  Probe<"preventIdleSleepForNumberOfSeconds:", void, float>::install("SBBacklightController");
}

id shared(const char* className) { return objc::sharedInstanceOf(objc::asId(objc::getClass(className))); }
objc::Ref made(const char* className) { return objc::Ref::adopt(send<id()>(objc::getClass(className), "new"_sel)); }

struct Invocation {
  id receiver;
  std::vector<std::string> arguments;
};

struct Row {
  const char* name;
  const char* method;  // "Class selector"
  plist::Dictionary settings;
  std::function<void(tweaktest::Booted&)> prepare;
  std::function<std::string()> observe;  // empty: the row has no own work to place
  std::function<Invocation()> invoke;
  std::string atCall;  // what `observe` reads while the host's implementation runs
  std::string after;   // and once the replacement has returned
};

const TweakInspection* tweak = nullptr;
constexpr const char* kTessaroToggle = "com.brel.control-center.tessaromodule";
objc::Ref keep;  // an object a row passes and needs alive

plist::Dictionary homeButtonMode(int mode) {
  return {{"isEnabled", true}, {"isAllowTapOnScreenOffEnabled", true}, {"tapToWakeMode", mode}};
}

std::string motionSource() { return tweaktest::storedMotionManager() ? "source" : "none"; }

std::string tapAndHoldOf() {
  return send<id()>(keep, "tapAndHoldTapGestureRecognizer"_sel) ? "made" : "none";
}

const std::vector<Row> kRows = {
    {"LockScreenPresentedAfterStartingSampling", "SBLockScreenManager lockScreenViewControllerDidPresent",
     {{"isEnabled", true}, {"wakeMode", 0}}, nullptr, motionSource,
     [] {
       send<void()>(tweaktest::lockScreenManager(), "lockScreenViewControllerDidPresent"_sel);
       return Invocation{tweaktest::lockScreenManager(), {}};
     },
     "source", "source"},
    {"LockScreenDismissedAfterStartingSampling", "SBLockScreenManager lockScreenViewControllerDidDismiss",
     {{"isEnabled", true}, {"wakeMode", 2}}, [](tweaktest::Booted&) { *tweak->isLocked = NO; }, motionSource,
     [] {
       send<void()>(tweaktest::lockScreenManager(), "lockScreenViewControllerDidDismiss"_sel);
       return Invocation{tweaktest::lockScreenManager(), {}};
     },
     "source", "source"},
    {"DoubleTapUpAfterTheWake", "SBHomeHardwareButton doubleTapUp:", homeButtonMode(1),
     [](tweaktest::Booted& booted) { booted.device->pressLockButton(); },
     [] { return std::string(hardware::display().isOn() ? "lit" : "dark"); },
     [] {
       id sender = send<id()>(send<id()>(springboard::homeHardwareButton(), "gestureRecognizerConfiguration"_sel),
                              "doubleTapUpGestureRecognizer"_sel);
       send<void(id)>(springboard::homeHardwareButton(), "doubleTapUp:"_sel, sender);
       return Invocation{springboard::homeHardwareButton(), {text(sender)}};
     },
     "lit", "lit"},
    {"CreatingRecognizersBeforeTheTweaksOwn", "SBHomeHardwareButton _createGestureRecognizersWithConfiguration:",
     homeButtonMode(0), [](tweaktest::Booted&) { keep = made("SBHomeHardwareButtonGestureRecognizerConfiguration"); },
     tapAndHoldOf,
     [] {
       send<void(id)>(springboard::homeHardwareButton(), "_createGestureRecognizersWithConfiguration:"_sel, keep.get());
       return Invocation{springboard::homeHardwareButton(), {text(keep.get())}};
     },
     "none", "made"},
    {"SettingTheConfigurationBeforeTheTweaksOwn", "SBHomeHardwareButton setGestureRecognizerConfiguration:",
     homeButtonMode(0), [](tweaktest::Booted&) { keep = made("SBHomeHardwareButtonGestureRecognizerConfiguration"); },
     tapAndHoldOf,
     [] {
       send<void(id)>(springboard::homeHardwareButton(), "setGestureRecognizerConfiguration:"_sel, keep.get());
       return Invocation{springboard::homeHardwareButton(), {text(keep.get())}};
     },
     "none", "made"},
    {"TheDelegateQuestionTheTweakDoesNotDecide",
     "SBHomeHardwareButton gestureRecognizer:shouldRecognizeSimultaneouslyWithGestureRecognizer:", homeButtonMode(0),
     [](tweaktest::Booted&) { DoubleTapRecognizers::answer = YES; },
     [] { return std::string(); },
     [] {
       id configuration = send<id()>(springboard::homeHardwareButton(), "gestureRecognizerConfiguration"_sel);
       id single = send<id()>(configuration, "singleTapGestureRecognizer"_sel);
       id doubleTap = send<id()>(configuration, "doubleTapUpGestureRecognizer"_sel);
       const BOOL answer = send<BOOL(id, id)>(springboard::homeHardwareButton(),
                                              "gestureRecognizer:shouldRecognizeSimultaneouslyWithGestureRecognizer:"_sel,
                                              single, doubleTap);
       EXPECT_EQ(answer, YES) << "the host's answer, passed on";
       return Invocation{springboard::homeHardwareButton(), {text(single), text(doubleTap)}};
     },
     "", ""},
    {"ReachabilityToggledWhenNotSwallowed", "SBReachabilityManager toggleReachability",
     {{"isEnabled", true}, {"isAllowTapOnScreenOffEnabled", true}}, nullptr, nullptr,
     [] {
       send<void()>(springboard::reachabilityManager(), "toggleReachability"_sel);
       return Invocation{springboard::reachabilityManager(), {}};
     },
     "", ""},
    {"ReachabilityWindowMadeWhenNotRefused", "SBReachabilityWindow initWithWallpaperVariant:", {}, nullptr, nullptr,
     [] {
       id window = send<id()>(objc::getClass("SBReachabilityWindow"), "alloc"_sel);
       id initialised = send<id(long long)>(window, "initWithWallpaperVariant:"_sel, 7);
       EXPECT_EQ(initialised, window) << "the host's result, returned";
       keep = objc::Ref::adopt(initialised);
       return Invocation{window, {"7"}};
     },
     "", ""},
    {"OffsetFactorPassedOnUnchanged", "SBReachabilitySettings setYOffsetFactor:", {}, nullptr, nullptr,
     [] {
       id settings = send<id()>(springboard::reachabilityManager(), "settings"_sel);
       send<void(double)>(settings, "setYOffsetFactor:"_sel, 0.3);
       return Invocation{settings, {"0.3"}};
     },
     "", ""},
    {"SwipeDownHeightPassedOnUnchanged", "SBReachabilitySettings setSystemWideSwipeDownHeight:", {}, nullptr, nullptr,
     [] {
       id settings = send<id()>(springboard::reachabilityManager(), "settings"_sel);
       send<void(double)>(settings, "setSystemWideSwipeDownHeight:"_sel, 120.0);
       return Invocation{settings, {"120"}};
     },
     "", ""},
    {"DisplayOffNoticeWhenTheHomeButtonWakeIsOff", "SBUIBiometricResource noteScreenDidTurnOff", {{"isEnabled", true}},
     nullptr, nullptr,
     [] {
       send<void()>(shared("SBUIBiometricResource"), "noteScreenDidTurnOff"_sel);
       return Invocation{shared("SBUIBiometricResource"), {}};
     },
     "", ""},
    {"ToggleViewLoadedFirst", "CCUIToggleViewController viewDidLoad", {{"isEnabled", true}},
     [](tweaktest::Booted&) {
       // Its view loaded already (loading sends viewDidLoad), the module forgotten again.
       keep = objc::Ref(controlcenter::controllerFor(kTessaroToggle));
       send<id()>(keep, "view"_sel);
       objc::release(*tweak->TessaroToggleModule);
       *tweak->TessaroToggleModule = nil;
     },
     [] { return std::string(*tweak->TessaroToggleModule ? "module" : "none"); },
     [] {
       send<void()>(keep, "viewDidLoad"_sel);
       return Invocation{keep.get(), {}};
     },
     "none", "module"},
    {"ToggleRefreshedFirst", "CCUIToggleViewController refreshState", {{"isEnabled", true}},
     [](tweaktest::Booted& booted) {
       booted.device->openControlCenter();
       booted.device->closeControlCenter();
       booted.device->writePropertyList(device::kStylingPath,
                                        {{"isEnabled", true}, {"isScaleToggleEnabled", true}, {"scaleToggle", 0.5}});
       keep = objc::Ref(controlcenter::controllerFor(kTessaroToggle));
     },
     [] { return text(send<CGAffineTransform()>(send<id()>(keep, "view"_sel), "transform"_sel).a); },
     [] {
       send<void()>(keep, "refreshState"_sel);
       return Invocation{keep.get(), {}};
     },
     "1", "0.5"},
    {"ControlCenterPresentedAfterTheToggleIsSet",
     "CCUIModularControlCenterOverlayViewController _beginPresentationAnimated:interactive:", {{"isEnabled", true}},
     [](tweaktest::Booted& booted) {
       booted.device->openControlCenter();  // the tweak learns its module
       booted.device->closeControlCenter();
       send<void(BOOL)>(controlcenter::moduleFor(kTessaroToggle), "setSelected:"_sel, NO);
       keep = made("CCUIModularControlCenterOverlayViewController");
     },
     [] { return text(send<BOOL()>(controlcenter::moduleFor(kTessaroToggle), "isSelected"_sel)); },
     [] {
       send<void(BOOL, BOOL)>(keep, "_beginPresentationAnimated:interactive:"_sel, YES, NO);
       return Invocation{keep.get(), {"YES", "NO"}};
     },
     "YES", "YES"},
    {"DisplayTurningOnBeforeTheDelayedWork", "SBDashBoardViewController _displayWillTurnOnWhileOnDashBoard:",
     homeButtonMode(0),
     [](tweaktest::Booted& booted) {
       keep = made("NSObject");
       booted.device->runUntilIdle(1.0);
     },
     [] { return std::to_string(core::RunLoop::main().pending()); },
     [] {
       send<void(id)>(shared("SBDashBoardViewController"), "_displayWillTurnOnWhileOnDashBoard:"_sel, keep.get());
       return Invocation{shared("SBDashBoardViewController"), {text(keep.get())}};
     },
     "0", "1"},
    {"FingerprintEventBeforeTheFlag", "SBDashBoardViewController handleBiometricEvent:", homeButtonMode(0),
     [](tweaktest::Booted& booted) {
       booted.device->pressLockButton();
       booted.device->runUntilIdle(1.0);
     },
     [] { return text(*tweak->disableActions); },
     [] {
       send<void(long long)>(shared("SBDashBoardViewController"), "handleBiometricEvent:"_sel, 2);
       return Invocation{shared("SBDashBoardViewController"), {"2"}};
     },
     "NO", "YES"},
    {"ScreenOffModeBeforeLocking", "SBDashBoardViewController setInScreenOffMode:forAutoUnlock:fromUnlockSource:",
     {{"isEnabled", true}}, [](tweaktest::Booted&) { *tweak->isLocked = NO; }, [] { return text(*tweak->isLocked); },
     [] {
       send<void(BOOL, BOOL, int)>(shared("SBDashBoardViewController"),
                                   "setInScreenOffMode:forAutoUnlock:fromUnlockSource:"_sel, YES, NO, 3);
       return Invocation{shared("SBDashBoardViewController"), {"YES", "NO", "3"}};
     },
     "NO", "YES"},
    {"UnlockFinishedBeforeUnlocking", "SBDashBoardViewController finishUIUnlockFromSource:", {{"isEnabled", true}},
     nullptr, [] { return text(*tweak->isLocked); },
     [] {
       send<void(int)>(shared("SBDashBoardViewController"), "finishUIUnlockFromSource:"_sel, 5);
       return Invocation{shared("SBDashBoardViewController"), {"5"}};
     },
     "YES", "NO"},
    {"IdleSleepSecondsUnchangedWithTheTweakOff", "SBBacklightController preventIdleSleepForNumberOfSeconds:",
     {{"isEnabled", false}}, nullptr, nullptr,
     [] {
       send<void(float)>(shared("SBBacklightController"), "preventIdleSleepForNumberOfSeconds:"_sel, 12.5f);
       return Invocation{shared("SBBacklightController"), {"12.5"}};
     },
     "", ""},
};

void PrintTo(const Row& row, std::ostream* out) { *out << row.method; }

class CallThrough : public ::testing::TestWithParam<Row> {};

TEST_P(CallThrough, TheHostRunsOnceWithItsArgumentsAtTheFixedPoint) {
  const Row& row = GetParam();
  device::BootOptions options;
  options.beforeLoad = installProbes;
  auto booted = tweaktest::boot(row.settings, options);
  tweak = booted.tweak;
  if (row.prepare) row.prepare(booted);
  calls.clear();
  if (row.observe) observe = row.observe;
  const Invocation invocation = row.invoke();
  const auto& made = calls[row.method];
  ASSERT_EQ(made.size(), 1u) << "the host's implementation runs exactly once";
  EXPECT_EQ(made[0].receiver, invocation.receiver);
  EXPECT_EQ(made[0].arguments, invocation.arguments);
  if (row.observe) {
    EXPECT_EQ(made[0].observed, row.atCall) << "the tweak's own work as the host runs";
    EXPECT_EQ(row.observe(), row.after) << "and once the replacement returned";
  }
}

TEST(CallThroughTable, CoversEveryReplacedMethodOfTheHookTable) {
  EXPECT_EQ(kRows.size(), 19u);
  std::set<std::string> methods;
  for (const Row& row : kRows) methods.insert(row.method);
  EXPECT_EQ(methods.size(), kRows.size());
}

INSTANTIATE_TEST_SUITE_P(Rows, CallThrough, ::testing::ValuesIn(kRows),
                         [](const ::testing::TestParamInfo<Row>& info) { return std::string(info.param.name); });

}  // namespace
