#include "platform/objc/Methods.h"
#include "platform/objc/MethodObserver.h"
#include "platform/substrate/Substrate.h"

extern "C" void MSHookMessageEx(Class cls, SEL sel, IMP replacement, IMP* slot) {
  if (cls == Nil) {
    objc::noteMethodChange(objc::MethodChange::NoClass, cls, sel, "");
    return;
  }
  if (Method own = objc::ownMethod(cls, sel)) {
    IMP previous = method_setImplementation(own, replacement);
    if (slot != nullptr) *slot = previous;
    objc::noteMethodChange(objc::MethodChange::Hooked, cls, sel, method_getTypeEncoding(own));
    return;
  }
  Method inherited = class_getInstanceMethod(cls, sel);
  if (inherited == nullptr) {
    objc::noteMethodChange(objc::MethodChange::NotHooked, cls, sel, "");
    return;
  }
  if (slot != nullptr) *slot = method_getImplementation(inherited);
  class_addMethod(cls, sel, replacement, method_getTypeEncoding(inherited));
  objc::noteMethodChange(objc::MethodChange::Hooked, cls, sel, method_getTypeEncoding(inherited));
}
