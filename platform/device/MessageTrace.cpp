#include "platform/device/MessageTrace.h"

#include "platform/core/EventLog.h"
#include "platform/objc/Encoding.h"
#include "platform/objc/Message.h"

#include <string>

namespace device {

namespace {

void recordCall(id self, SEL sel) {
  const std::string cls = objc::nameOf(objc::classOf(self));
  core::record("tweak", "-[" + cls + " " + sel_getName(sel) + "]", {{"class", cls}, {"selector", sel_getName(sel)}});
}

// One traced method per selector name: its own slot for the implementation it wraps.
template <objc::FixedString Selector, class... Args>
struct Traced {
  static inline IMP original = nullptr;
  static void call(id self, SEL sel, Args... args) {
    recordCall(self, sel);
    objc::impAs<void (*)(id, SEL, Args...)>(original)(self, sel, args...);
  }
  static void install(const char* className, const char* types) {
    Class cls = objc::getClass(className);
    if (cls == Nil) return;
    Method method = objc::ownMethod(cls, sel_registerName(Selector.chars));
    if (method == nullptr || !objc::sameEncoding(method_getTypeEncoding(method), types)) return;
    original = method_setImplementation(method, objc::toImp(&call));
  }
};

}  // namespace

void traceAddedMethods() {
  Traced<"performTheAction">::install("SBHomeHardwareButton", "v@:");
  Traced<"singleTapUpFired:", id>::install("SBHomeHardwareButton", "v@:@");
  Traced<"longTapFired:", id>::install("SBHomeHardwareButton", "v@:@");
  Traced<"tapAndHoldFired:", id>::install("SBHomeHardwareButton", "v@:@");
}

}  // namespace device
