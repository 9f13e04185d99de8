#pragma once
// Typed message sends over the runtime's objc_msgSend. The signature is spelled at the
// call site, `send<BOOL()>(x, sel)`, so the arguments are converted to what the method takes
// and objc_msgSend is called as a function of exactly that type, as the compiler calls it
// for a message expression.
//
// A message to nil does nothing and yields zero of any result type: objc_msgSend answers
// nil with zero in every result register, and a struct that comes back through memory
// (which objc_msgSend would leave as it was) is answered zero here.

#include "platform/objc/Runtime.h"

#include <type_traits>

namespace objc {

namespace detail {

// Whether R comes back through memory rather than in registers, on x86-64 (over 16
// bytes); arm64 passes the address of such a result in a register of its own.
template <class R>
constexpr bool returnsThroughMemory() {
#if defined(__x86_64__)
  if constexpr (std::is_class_v<R>) return sizeof(R) > 16;
#endif
  return false;
}

}  // namespace detail

template <class Sig>
struct Send;

template <class R, class... Args>
struct Send<R(Args...)> {
  using Imp = R (*)(id, SEL, Args...);
  using SuperImp = R (*)(objc_super*, SEL, Args...);

  static R to(id receiver, SEL sel, Args... args) {
    if constexpr (std::is_class_v<R>) {
      if (receiver == nil) return R{};
    }
#if defined(__x86_64__)
    if constexpr (detail::returnsThroughMemory<R>()) {
      return reinterpret_cast<Imp>(&objc_msgSend_stret)(receiver, sel, static_cast<Args&&>(args)...);
    }
#endif
    return reinterpret_cast<Imp>(&objc_msgSend)(receiver, sel, static_cast<Args&&>(args)...);
  }

  // The implementation that `superclass` (and its superclasses) give `sel`, on `receiver`.
  static R toSuper(id receiver, Class superclass, SEL sel, Args... args) {
    if constexpr (std::is_class_v<R>) {
      if (receiver == nil) return R{};
    }
    objc_super target{receiver, superclass};
#if defined(__x86_64__)
    if constexpr (detail::returnsThroughMemory<R>()) {
      return reinterpret_cast<SuperImp>(&objc_msgSendSuper_stret)(&target, sel, static_cast<Args&&>(args)...);
    }
#endif
    return reinterpret_cast<SuperImp>(&objc_msgSendSuper)(&target, sel, static_cast<Args&&>(args)...);
  }
};

// `send<double(id)>(receiver, sel, argument)`
template <class Sig, class... Given>
auto send(id receiver, SEL sel, Given&&... given) {
  return Send<Sig>::to(receiver, sel, static_cast<Given&&>(given)...);
}

template <class Sig, class... Given>
auto send(Class receiver, SEL sel, Given&&... given) {
  return Send<Sig>::to(asId(receiver), sel, static_cast<Given&&>(given)...);
}

// The implementation that `cls`'s superclass gives `sel`, called on `receiver`.
template <class Sig, class... Given>
auto sendSuper(id receiver, Class cls, SEL sel, Given&&... given) {
  return Send<Sig>::toSuper(receiver, class_getSuperclass(cls), sel, static_cast<Given&&>(given)...);
}

inline bool respondsTo(id object, SEL sel) {
  return object != nil && class_respondsToSelector(object_getClass(object), sel);
}

// A message the host sends to its own object only when the object has the method: a host
// built without a method never sends it. Yields zero otherwise, as a message to nil does.
template <class Sig, class... Given>
auto sendIfImplemented(id receiver, SEL sel, Given&&... given) {
  using R = decltype(send<Sig>(receiver, sel, static_cast<Given&&>(given)...));
  if (!respondsTo(receiver, sel)) {
    if constexpr (std::is_void_v<R>) {
      return;
    } else {
      return R{};
    }
  }
  return send<Sig>(receiver, sel, static_cast<Given&&>(given)...);
}

}  // namespace objc
