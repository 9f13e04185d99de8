#pragma once
// Instance variables found by name in the object's class description, as a tweak reaches
// a host object's private state.

#include "platform/objc/Runtime.h"

namespace objc {

// A pointer to `object`'s variable `name`, or null when its class (and superclasses) have
// none of that name, or when `object` is nil.
template <class T>
T* ivarPointer(id object, const char* name) {
  if (object == nil) return nullptr;
  Ivar variable = class_getInstanceVariable(object_getClass(object), name);
  if (variable == nullptr) return nullptr;
  return reinterpret_cast<T*>(reinterpret_cast<char*>(object) + ivar_getOffset(variable));
}

// The encoding the class declared for `name`, or null.
inline const char* ivarEncoding(id object, const char* name) {
  if (object == nil) return nullptr;
  Ivar variable = class_getInstanceVariable(object_getClass(object), name);
  return variable ? ivar_getTypeEncoding(variable) : nullptr;
}

}  // namespace objc
