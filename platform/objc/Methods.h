#pragma once
// The device's own reading of method tables, beyond what a library calls.

#include "platform/objc/Runtime.h"

#include <cstdlib>

namespace objc {

// The method `cls` itself defines for `sel`, not one it inherits; null when it has none.
inline Method ownMethod(Class cls, SEL sel) {
  unsigned int count = 0;
  Method* methods = class_copyMethodList(cls, &count);
  Method found = nullptr;
  for (unsigned int i = 0; i < count && found == nullptr; ++i) {
    if (sel_isEqual(method_getName(methods[i]), sel)) found = methods[i];
  }
  std::free(methods);
  return found;
}

}  // namespace objc
