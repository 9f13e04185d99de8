#pragma once
// The device's own typed hook, for its tests and tools: substrate::hook that first checks
// the replacement's C++ type against the encoding of the method it replaces, and stops with
// a fatal error on a mismatch instead of corrupting memory at the first call. The tweak's
// hooks are checked the same way by its tests, against the hook table it was built with.

#include "platform/objc/Encoding.h"
#include "platform/objc/Fatal.h"
#include "platform/substrate/Substrate.h"

namespace substrate {

template <class Fn>
bool hookMessage(Class cls, SEL sel, Fn replacement, Fn* slot) {
  if (cls != Nil) {
    if (Method existing = class_getInstanceMethod(cls, sel)) {
      if (!objc::sameEncoding(objc::encodingOf<Fn>(), method_getTypeEncoding(existing))) {
        objc::fatal("hooking -[%s %s]: replacement is %s, host method is %s", class_getName(cls), sel_getName(sel),
                    objc::encodingOf<Fn>(), method_getTypeEncoding(existing));
      }
    }
  }
  return hook(cls, sel, replacement, slot);
}

}  // namespace substrate
