#pragma once
// The device watches the method tables that a loaded library changes (methods added,
// hooks installed or skipped) and records each change in its event log. The runtime layer
// only reports; whoever installs the observer decides what to keep.
//
// Methods are added with the runtime's own class_addMethod, which a library calls
// directly: the runtime layer gives class_addMethod over the GNU runtime's and reports
// every call with the address it was called from, so the observer can keep the calls that
// come from a loaded library and pass over the device's own class definitions. Hooks are
// reported by the substrate's MSHookMessageEx, with no caller (only libraries hook).

#include "platform/objc/Runtime.h"

namespace objc {

enum class MethodChange {
  Added,        // a new instance method
  AlreadyThere, // not added: the class has its own method of that selector
  Hooked,       // a host method replaced, its implementation kept for call-through
  NotHooked,    // no method of that selector anywhere in the class's hierarchy
  NoClass,      // the class is not loaded
};

// `caller`: the return address of the class_addMethod call, or null.
using MethodObserver = void (*)(MethodChange change, Class cls, SEL sel, const char* types, const void* caller);

void setMethodObserver(MethodObserver observer);
void noteMethodChange(MethodChange change, Class cls, SEL sel, const char* types, const void* caller = nullptr);

const char* describe(MethodChange change);

}  // namespace objc
