#pragma once
// The substrate: replaces host methods keeping the previous implementation for
// call-through, finds instance variables by name, and loads libraries into the host.

#include "platform/objc/ClassBuilder.h"
#include "platform/objc/Ivar.h"
#include "platform/objc/Runtime.h"

extern "C" {

// Replaces `cls`'s instance method `sel` with `replacement` and stores the implementation
// it replaced in `*slot`. When `cls` only inherits `sel`, the replacement goes on `cls`
// and the superclass keeps its own; the slot then holds the superclass's. When nothing in
// the hierarchy answers `sel`, or `cls` is nil, nothing changes and the slot is left alone.
void MSHookMessageEx(Class cls, SEL sel, IMP replacement, IMP* slot);
}

// A pointer to `object`'s instance variable `name`, or null when its class has none.
template <class T>
T* MSHookIvar(id object, const char* name) {
  return objc::ivarPointer<T>(object, name);
}

namespace substrate {

// MSHookMessageEx with a typed replacement and slot. The replacement's C++ type must match
// the encoding of the method it replaces; a mismatch stops the load. Answers whether the
// hook was installed.
template <class Fn>
bool hookMessage(Class cls, SEL sel, Fn replacement, Fn* slot) {
  if (cls != Nil) {
    if (Method existing = class_getInstanceMethod(cls, sel)) {
      if (!objc::sameEncoding(objc::encodingOf<Fn>(), method_getTypeEncoding(existing))) {
        objc::fatal("hooking -[%s %s]: replacement is %s, host method is %s", class_getName(cls), sel_getName(sel),
                    objc::encodingOf<Fn>().c_str(), method_getTypeEncoding(existing));
      }
    }
  }
  IMP previous = nullptr;
  MSHookMessageEx(cls, sel, objc::toImp(replacement), &previous);
  if (previous == nullptr) return false;
  *slot = objc::impAs<Fn>(previous);
  return true;
}

}  // namespace substrate
