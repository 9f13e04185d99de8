#pragma once
// A strong reference: retains what it holds and releases it when it lets go. Objects are
// reference-counted by the root class; every object the device makes starts at one.

#include "platform/objc/Message.h"

#include <utility>

namespace objc {

inline id retain(id object) {
  using namespace literals;
  return send<id()>(object, "retain"_sel);
}

inline void release(id object) {
  using namespace literals;
  send<void()>(object, "release"_sel);
}

// Hands `object` to the innermost autorelease pool and returns it.
inline id autorelease(id object) {
  using namespace literals;
  return send<id()>(object, "autorelease"_sel);
}

class Ref {
 public:
  Ref() = default;
  Ref(std::nullptr_t) {}
  // Retains: for objects the caller does not own (a getter's result, a parameter).
  explicit Ref(id object) : object_(retain(object)) {}
  // Takes over a reference the caller owns (the result of alloc/init, new or copy).
  static Ref adopt(id owned) {
    Ref ref;
    ref.object_ = owned;
    return ref;
  }

  Ref(const Ref& other) : object_(retain(other.object_)) {}
  Ref(Ref&& other) noexcept : object_(std::exchange(other.object_, nil)) {}
  Ref& operator=(Ref other) noexcept {
    std::swap(object_, other.object_);
    return *this;
  }
  ~Ref() { release(object_); }

  id get() const { return object_; }
  operator id() const { return object_; }
  explicit operator bool() const { return object_ != nil; }

  // Gives up ownership without releasing.
  id take() { return std::exchange(object_, nil); }
  void reset() { Ref{}.swap(*this); }
  void swap(Ref& other) noexcept { std::swap(object_, other.object_); }

  friend bool operator==(const Ref& a, const Ref& b) { return a.object_ == b.object_; }
  friend bool operator==(const Ref& a, id b) { return a.object_ == b; }

 private:
  id object_ = nil;
};

}  // namespace objc
