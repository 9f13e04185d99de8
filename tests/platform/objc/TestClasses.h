#pragma once
// Small classes that count their own deallocations, for the runtime layer's tests.

#include "platform/objc/ClassBuilder.h"
#include "platform/objc/Message.h"
#include "platform/objc/Ref.h"

namespace testclasses {

using namespace objc::literals;

inline int deallocations = 0;

struct Counted {
  ~Counted() { ++deallocations; }
};

// "Probe": a root subclass whose instances bump `deallocations` when they go away.
inline Class probeClass() {
  static const Class cls = objc::ClassBuilder("Probe", objc::rootClass()).state<Counted>().build();
  return cls;
}

inline objc::Ref newProbe() { return objc::Ref::adopt(objc::send<id()>(probeClass(), "new"_sel)); }

}  // namespace testclasses
