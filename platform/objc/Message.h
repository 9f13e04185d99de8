#pragma once
// Typed message sends. The signature is spelled at the call site, `send<BOOL()>(x, sel)`,
// so the arguments are converted to what the method takes before they are passed.

#include "platform/objc/Runtime.h"

#include <type_traits>
#include <utility>

namespace objc {

template <class Sig>
struct Send;

template <class R, class... Args>
struct Send<R(Args...)> {
  using Imp = R (*)(id, SEL, Args...);

  static R to(id receiver, SEL sel, Args... args) {
    // A message to nil does nothing and yields zero of any result type. The runtime's own
    // nil method leaves floating-point and struct results undefined on x86-64, so it is
    // never called.
    if (receiver == nil) [[unlikely]] {
      if constexpr (std::is_void_v<R>) {
        return;
      } else {
        return R{};
      }
    }
    auto imp = impAs<Imp>(objc_msg_lookup(receiver, sel));
    return imp(receiver, sel, std::forward<Args>(args)...);
  }

  static R toSuper(id receiver, Class superclass, SEL sel, Args... args) {
    if (receiver == nil) [[unlikely]] {
      if constexpr (std::is_void_v<R>) {
        return;
      } else {
        return R{};
      }
    }
    objc_super target{receiver, superclass};
    auto imp = impAs<Imp>(objc_msg_lookup_super(&target, sel));
    return imp(receiver, sel, std::forward<Args>(args)...);
  }

  // Calls an implementation directly, as a hook calls the host's through its slot.
  static R through(Imp imp, id receiver, SEL sel, Args... args) {
    return imp(receiver, sel, std::forward<Args>(args)...);
  }
};

// `send<double(id)>(receiver, sel, argument)`
template <class Sig, class... Given>
auto send(id receiver, SEL sel, Given&&... given) {
  return Send<Sig>::to(receiver, sel, std::forward<Given>(given)...);
}

template <class Sig, class... Given>
auto send(Class receiver, SEL sel, Given&&... given) {
  return Send<Sig>::to(asId(receiver), sel, std::forward<Given>(given)...);
}

// The implementation that `cls`'s superclass gives `sel`, called on `receiver`.
template <class Sig, class... Given>
auto sendSuper(id receiver, Class cls, SEL sel, Given&&... given) {
  return Send<Sig>::toSuper(receiver, class_getSuperclass(cls), sel, std::forward<Given>(given)...);
}

inline bool respondsTo(id object, SEL sel) {
  return object != nil && class_respondsToSelector(object_getClass(object), sel);
}

// A message the host sends to its own object only when the object has the method: a host
// built without a method never sends it. Yields zero otherwise, as a message to nil does.
template <class Sig, class... Given>
auto sendIfImplemented(id receiver, SEL sel, Given&&... given) {
  using R = decltype(send<Sig>(receiver, sel, std::forward<Given>(given)...));
  if (!respondsTo(receiver, sel)) {
    if constexpr (std::is_void_v<R>) {
      return;
    } else {
      return R{};
    }
  }
  return send<Sig>(receiver, sel, std::forward<Given>(given)...);
}

}  // namespace objc
