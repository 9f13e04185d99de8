#pragma once
// A strong reference: retains what it holds and releases it when it lets go. Objects are
// reference-counted; every object the device makes starts at one.

#include "platform/objc/Message.h"

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
  Ref(decltype(nullptr)) {}
  // Retains: for objects the caller does not own (a getter's result, a parameter).
  explicit Ref(id object) : object_(retain(object)) {}
  // Takes over a reference the caller owns (the result of alloc/init, new or copy).
  static Ref adopt(id owned) {
    Ref ref;
    ref.object_ = owned;
    return ref;
  }

  Ref(const Ref& other) : object_(retain(other.object_)) {}
  Ref(Ref&& other) noexcept : object_(other.take()) {}
  Ref& operator=(Ref other) noexcept {
    swap(other);
    return *this;
  }
  ~Ref() { release(object_); }

  id get() const { return object_; }
  operator id() const { return object_; }
  explicit operator bool() const { return object_ != nil; }

  // Gives up ownership without releasing.
  id take() {
    id owned = object_;
    object_ = nil;
    return owned;
  }
  void reset() { Ref{}.swap(*this); }
  void swap(Ref& other) noexcept {
    id mine = object_;
    object_ = other.object_;
    other.object_ = mine;
  }

  friend bool operator==(const Ref& a, const Ref& b) { return a.object_ == b.object_; }
  friend bool operator==(const Ref& a, id b) { return a.object_ == b; }

 private:
  id object_ = nil;
};

}  // namespace objc
