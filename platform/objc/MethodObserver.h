#pragma once
// The device watches the method tables that a loaded library changes (methods added,
// hooks installed or skipped) and records each change in its event log. The runtime layer
// only reports; whoever installs the observer decides what to keep.

#include "platform/objc/Runtime.h"

namespace objc {

enum class MethodChange {
  Added,        // a new instance method
  AlreadyThere, // not added: the class has its own method of that selector
  Hooked,       // a host method replaced, its implementation kept for call-through
  NotHooked,    // no method of that selector anywhere in the class's hierarchy
  NoClass,      // the class is not loaded
};

using MethodObserver = void (*)(MethodChange change, Class cls, SEL sel, const char* types);

void setMethodObserver(MethodObserver observer);
void noteMethodChange(MethodChange change, Class cls, SEL sel, const char* types);

const char* describe(MethodChange change);

}  // namespace objc
