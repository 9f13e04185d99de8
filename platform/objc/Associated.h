#pragma once
// Associated objects, with the device runtime's C API. The GNU runtime has none, so a side
// table keyed by the owner holds them; the root class drops them when the owner deallocates.

#include "platform/objc/Runtime.h"

#include <cstdint>

extern "C" {

enum objc_AssociationPolicy : std::uintptr_t {
  OBJC_ASSOCIATION_ASSIGN = 0,
  OBJC_ASSOCIATION_RETAIN_NONATOMIC = 1,
  OBJC_ASSOCIATION_COPY_NONATOMIC = 3,
  OBJC_ASSOCIATION_RETAIN = 01401,
  OBJC_ASSOCIATION_COPY = 01403,
};

// Stores `value` under `key` (any address private to the caller), replacing and releasing
// what was there. nil removes the entry.
void objc_setAssociatedObject(id object, const void* key, id value, objc_AssociationPolicy policy);
id objc_getAssociatedObject(id object, const void* key);
void objc_removeAssociatedObjects(id object);
}
