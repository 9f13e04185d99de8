#include "platform/device/MessageTrace.h"

#include "platform/core/EventLog.h"
#include "platform/objc/Encoding.h"
#include "platform/objc/Methods.h"
#include "platform/objc/Message.h"

#include <string>
#include <vector>

namespace device {

namespace {

std::vector<std::string_view> running;
std::function<void(id)> beforeStep;
std::function<void(id)> afterStep;

void recordCall(id self, SEL sel) {
  const std::string cls = objc::nameOf(objc::classOf(self));
  core::record("tweak", "-[" + cls + " " + sel_getName(sel) + "]", {{"class", cls}, {"selector", sel_getName(sel)}});
}

// One watched method per class and selector name: its own slot for the implementation it
// wraps.
template <objc::FixedString ClassName, objc::FixedString Selector, bool Recorded, class... Args>
struct Watched {
  static inline IMP original = nullptr;
  static inline std::string name;  // set at install: clang 14 cannot build it from the parameters
  static void call(id self, SEL sel, Args... args) {
    if constexpr (Recorded) recordCall(self, sel);
    running.push_back(name);
    objc::impAs<void (*)(id, SEL, Args...)>(original)(self, sel, args...);
    running.pop_back();
  }
  static void install(const char* types) {
    Class cls = objc::getClass(ClassName.chars);
    if (cls == Nil) return;
    Method method = objc::ownMethod(cls, sel_registerName(Selector.chars));
    if (method == nullptr || !objc::sameEncoding(method_getTypeEncoding(method), types)) return;
    name = std::string("-[") + ClassName.chars + " " + Selector.chars + "]";
    original = method_setImplementation(method, objc::toImp(&call));
  }
};

// The classification step, with the observer around it.
struct Step {
  static inline IMP original = nullptr;
  static void call(id self, SEL sel) {
    if (beforeStep) beforeStep(self);
    running.push_back("-[SBLockScreenManager updateMotionType]");
    objc::impAs<void (*)(id, SEL)>(original)(self, sel);
    running.pop_back();
    if (afterStep) afterStep(self);
  }
  static void install() {
    Class cls = objc::getClass("SBLockScreenManager");
    if (cls == Nil) return;
    Method method = objc::ownMethod(cls, sel_registerName("updateMotionType"));
    if (method == nullptr || !objc::sameEncoding(method_getTypeEncoding(method), "v@:")) return;
    original = method_setImplementation(method, objc::toImp(&call));
  }
};

}  // namespace

void traceAddedMethods() {
  Watched<"SBHomeHardwareButton", "performTheAction", true>::install("v@:");
  Watched<"SBHomeHardwareButton", "singleTapUpFired:", true, id>::install("v@:@");
  Watched<"SBHomeHardwareButton", "longTapFired:", true, id>::install("v@:@");
  Watched<"SBHomeHardwareButton", "tapAndHoldFired:", true, id>::install("v@:@");
  Watched<"SBLockScreenManager", "disableDetection", false>::install("v@:");
  Watched<"SBUIBiometricResource", "disableDetection", false>::install("v@:");
  Step::install();
}

std::string_view watchedCallInProgress() { return running.empty() ? std::string_view() : running.back(); }

void setClassificationObserver(std::function<void(id)> before, std::function<void(id)> after) {
  beforeStep = std::move(before);
  afterStep = std::move(after);
}

}  // namespace device
