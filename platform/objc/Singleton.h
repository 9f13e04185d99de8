#pragma once
// `+sharedInstance` and its kin: one instance per class, made on first use, alive for the
// process, as the host's singletons are.

#include "platform/objc/Message.h"

#include <map>

namespace objc {

inline id sharedInstanceOf(id cls) {
  static auto* instances = new std::map<id, id>();
  id& instance = (*instances)[cls];
  if (instance == nil) {
    using namespace literals;
    instance = send<id()>(cls, "new"_sel);
  }
  return instance;
}

// An implementation for `+sharedInstance`.
inline id sharedInstanceMethod(id cls, SEL) { return sharedInstanceOf(cls); }

}  // namespace objc
