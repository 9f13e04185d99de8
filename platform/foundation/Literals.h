#pragma once
// String constants, as the compiler makes them on the device: `"isEnabled"_ns` is one
// immortal NSString per spelling, made on first use. CFSTR is the same object, toll-free.

#include "platform/objc/Runtime.h"

namespace foundation {

// An NSString that is never deallocated.
id makeConstantString(const char* text);

template <objc::FixedString Text>
id constantString() {
  static const id string = makeConstantString(Text.chars);
  return string;
}

namespace literals {
template <objc::FixedString Text>
id operator""_ns() {
  return constantString<Text>();
}
}  // namespace literals

}  // namespace foundation

#define CFSTR(text) (::foundation::constantString<text>())
