#pragma once
// Internals shared by the root class, associated objects and the autorelease pool.

#include "platform/objc/Runtime.h"

#include <cstdint>

namespace objc::detail {

enum : std::uint32_t { kHasAssociations = 1u };

// The root's flag word of an instance (not of a class object).
std::uint32_t& flagsOf(id object);

// Releases every associated object of `object`; called from dealloc.
void dropAssociations(id object);

}  // namespace objc::detail
