#pragma once
// The runtime as the deliverables and the device both see it: the runtime's C interface
// under the phone's names, on either target, and selectors registered once per spelling.
//
// The types and most functions come from the target's runtime (the GNU runtime's headers
// on the stand-in device, the phone's declarations on the phone: abi/). What follows is
// declared for both from the phone's documented interface: the message senders, which the
// stand-in implements over the GNU runtime (a nil receiver answers zero in every integer
// and floating-point result register), and associated objects (Associated.h).
//
// Nothing here needs more of the standard library than its freestanding headers: the
// deliverables compile against it for the phone, where there is no C library to include.

#if defined(__APPLE__)
#include "platform/objc/abi/PhoneRuntime.h"
#else
#include "platform/objc/abi/GnuRuntime.h"
#endif

#include <cstddef>

extern "C" {
// Declared without a prototype, as the phone's runtime declares them: a call casts
// objc_msgSend to the method's own type (Message.h does). The receiver comes first, the
// selector second, then the method's arguments.
void objc_msgSend(void);
void objc_msgSendSuper(void);  // the first argument is a struct objc_super*
#if defined(__x86_64__)
// On x86-64 a struct too large for registers comes back through memory, and its address
// goes first: these take the receiver (or the objc_super*) second. arm64 has no such
// variants: a memory result's address travels in a register of its own.
void objc_msgSend_stret(void);
void objc_msgSendSuper_stret(void);
#endif
}

namespace objc {

using ::BOOL;
using ::Class;
using ::id;
using ::IMP;
using ::SEL;

// A string usable as a template argument, so that each selector name gets its own
// function-local static below.
template <std::size_t N>
struct FixedString {
  char chars[N]{};
  constexpr FixedString(const char (&text)[N]) {
    for (std::size_t i = 0; i < N; ++i) chars[i] = text[i];
  }
};

// The selector of `Name`, registered with the runtime the first time this name is used;
// afterwards a load of a static.
template <FixedString Name>
SEL selector() {
  static const SEL registered = sel_registerName(Name.chars);
  return registered;
}

// `"screenIsOn"_sel` is `selector<"screenIsOn">()`.
namespace literals {
template <FixedString Name>
SEL operator""_sel() {
  return selector<Name>();
}
}  // namespace literals

// A class by name, or Nil when no class of that name is registered. Unlike objc_getClass,
// which a loaded library calls, this does not consult the unknown-class handler, so the
// device's own lookups are not reported as a library looking for a class.
inline Class getClass(const char* name) { return objc_lookUpClass(name); }

// Implementations are stored untyped and called typed. The detour through a function
// type without parameters is the conversion both compilers accept without a warning.
template <class Fn>
Fn impAs(IMP imp) {
  return reinterpret_cast<Fn>(reinterpret_cast<void (*)()>(imp));
}

template <class Fn>
IMP toImp(Fn fn) {
  return reinterpret_cast<IMP>(reinterpret_cast<void (*)()>(fn));
}

inline id asId(Class cls) { return reinterpret_cast<id>(cls); }
inline Class classOf(id object) { return object ? object_getClass(object) : Nil; }
inline const char* nameOf(Class cls) { return cls ? class_getName(cls) : "nil"; }

}  // namespace objc
