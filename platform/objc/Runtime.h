#pragma once
// The host runtime as the rest of the repository sees it: the GNU Objective-C runtime's
// C API, plus selectors that are registered once per name instead of hashed per call.

#include <objc/message.h>
#include <objc/runtime.h>

#include <algorithm>
#include <cstddef>
#include <cstdlib>

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
  constexpr FixedString(const char (&text)[N]) { std::copy_n(text, N, chars); }
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

// The method `cls` itself defines for `sel`, not one it inherits; null when it has none.
inline Method ownMethod(Class cls, SEL sel) {
  unsigned int count = 0;
  Method* methods = class_copyMethodList(cls, &count);
  Method found = nullptr;
  for (unsigned int i = 0; i < count && found == nullptr; ++i) {
    if (sel_isEqual(method_getName(methods[i]), sel)) found = methods[i];
  }
  std::free(methods);
  return found;
}

inline id asId(Class cls) { return reinterpret_cast<id>(cls); }
inline Class classOf(id object) { return object ? object_getClass(object) : Nil; }
inline const char* nameOf(Class cls) { return cls ? class_getName(cls) : "nil"; }

}  // namespace objc
