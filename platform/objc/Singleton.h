#pragma once
// `+sharedInstance` and its kin: one instance per class, made on first use, alive for the
// process, as the host's singletons are.

#include "platform/objc/Message.h"

#include <map>

namespace objc {

// The instance of `cls`, looked up by class: for callers that hold only the class.
inline id sharedInstanceOf(id cls) {
  if (cls == nil) return nil;
  static auto* instances = new std::map<id, id>();
  id& instance = (*instances)[cls];
  if (instance == nil) {
    using namespace literals;
    instance = send<id()>(cls, "new"_sel);
  }
  return instance;
}

// An implementation for `+sharedInstance` of the class named `Name`: each class gets its
// own, so the hot path is one load of a static.
template <FixedString Name>
id sharedInstanceMethod(id cls, SEL) {
  static const id instance = sharedInstanceOf(cls);
  return instance;
}

}  // namespace objc
