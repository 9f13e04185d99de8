#pragma once
// String constants: `"isEnabled"_ns` is one NSString per spelling, made on first use from
// its UTF-8 text and never released, as the compiler's constant strings live for the whole
// process. Made by messages to the host's NSString, so the same code makes them on the
// phone. CFSTR is the same object, toll-free.

#include "platform/objc/Message.h"

namespace foundation {

// A new NSString of `text`, owned by the caller.
inline id newString(const char* text) {
  using namespace objc::literals;
  return objc::send<id(const char*)>(objc::send<id()>(objc_getClass("NSString"), "alloc"_sel), "initWithUTF8String:"_sel,
                                     text);
}

template <objc::FixedString Text>
id constantString() {
  static const id string = newString(Text.chars);
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
