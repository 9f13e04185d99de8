#pragma once
// The substrate as a library compiles against it: MSHookMessageEx replaces a host method
// and keeps the previous implementation for call-through, and MSHookIvar finds an instance
// variable by name. Declared from the substrate's documented interface; on the phone
// CydiaSubstrate provides MSHookMessageEx, on the stand-in device platform/substrate does.

#include "platform/objc/Runtime.h"

extern "C" {

// Replaces `cls`'s instance method `sel` with `replacement` and stores the implementation
// it replaced in `*slot`. When `cls` only inherits `sel`, the replacement goes on `cls`
// and the superclass keeps its own; the slot then holds the superclass's. When nothing in
// the hierarchy answers `sel`, or `cls` is nil, nothing changes and the slot is left alone.
void MSHookMessageEx(Class cls, SEL sel, IMP replacement, IMP* slot);
}

// A pointer to `object`'s instance variable `name`, or null when its class has none or
// `object` is nil: the substrate's MSHookIvar, over the runtime's variable lookup, with the
// missing variable told apart instead of handed back as a reference to nothing.
template <class T>
T* MSHookIvar(id object, const char* name) {
  if (object == nil) return nullptr;
  Ivar variable = object_getInstanceVariable(object, name, nullptr);
  if (variable == nullptr) return nullptr;
  return reinterpret_cast<T*>(reinterpret_cast<char*>(object) + ivar_getOffset(variable));
}

namespace substrate {

// MSHookMessageEx with a typed replacement and slot. Answers whether the hook was
// installed; the slot is written only then.
template <class Fn>
bool hook(Class cls, SEL sel, Fn replacement, Fn* slot) {
  IMP previous = nullptr;
  MSHookMessageEx(cls, sel, objc::toImp(replacement), &previous);
  if (previous == nullptr) return false;
  *slot = objc::impAs<Fn>(previous);
  return true;
}

}  // namespace substrate
