#pragma once
// Type encodings generated from C++ signatures at compile time, with the letters the
// runtime writes, so that a method's declared types and its implementation cannot drift
// apart: where both are known when compiling (a method added with a declared encoding) a
// mismatch does not compile, and elsewhere the device compares them when the method is
// installed.
//
// Plain constant expressions, nothing of a library: the deliverables use them on the
// phone too.

#include "platform/objc/Runtime.h"

#include <concepts>
#include <cstddef>
#include <type_traits>

namespace objc {

// An encoding's letters, NUL-terminated.
template <std::size_t N>
struct EncodingText {
  char chars[N]{};
  constexpr const char* c_str() const { return chars; }
};

template <class T>
struct TypeEncoding;

// A struct passed by value declares its own encoding:
//   struct Vector3 { double x, y, z; static constexpr const char* objcEncoding = "{Vector3=ddd}"; };
template <class T>
concept DeclaresEncoding = requires {
  { T::objcEncoding } -> std::convertible_to<const char*>;
};

template <DeclaresEncoding T>
struct TypeEncoding<T> {
  static constexpr const char* value = T::objcEncoding;
};

#define TESSARO_OBJC_ENCODING(Type, Letters)    \
  template <>                                   \
  struct TypeEncoding<Type> {                   \
    static constexpr const char* value = Letters; \
  };

TESSARO_OBJC_ENCODING(void, "v")
TESSARO_OBJC_ENCODING(id, "@")
TESSARO_OBJC_ENCODING(SEL, ":")
TESSARO_OBJC_ENCODING(Class, "#")
// The stand-in's BOOL is an unsigned char, of the same size and passing as the phone's,
// and is written as the device writes a char BOOL; the phone's arm64 BOOL is a bool, "B".
TESSARO_OBJC_ENCODING(unsigned char, "c")
TESSARO_OBJC_ENCODING(signed char, "c")
TESSARO_OBJC_ENCODING(bool, "B")
TESSARO_OBJC_ENCODING(short, "s")
TESSARO_OBJC_ENCODING(unsigned short, "S")
TESSARO_OBJC_ENCODING(int, "i")
TESSARO_OBJC_ENCODING(unsigned int, "I")
TESSARO_OBJC_ENCODING(long, "q")
TESSARO_OBJC_ENCODING(unsigned long, "Q")
TESSARO_OBJC_ENCODING(long long, "q")
TESSARO_OBJC_ENCODING(unsigned long long, "Q")
TESSARO_OBJC_ENCODING(float, "f")
TESSARO_OBJC_ENCODING(double, "d")
TESSARO_OBJC_ENCODING(const char*, "*")
TESSARO_OBJC_ENCODING(void*, "^v")
TESSARO_OBJC_ENCODING(const void*, "^v")

#undef TESSARO_OBJC_ENCODING

namespace detail {

constexpr std::size_t encodingLength(const char* text) {
  std::size_t length = 0;
  while (text[length] != '\0') ++length;
  return length;
}

template <std::size_t N>
constexpr void append(EncodingText<N>& text, std::size_t& at, const char* part) {
  while (*part != '\0') text.chars[at++] = *part++;
}

// The encodings of Parts, one after another.
template <class... Parts>
constexpr auto joined() {
  EncodingText<(encodingLength(TypeEncoding<Parts>::value) + ... + 0) + 1> text{};
  std::size_t at = 0;
  (append(text, at, TypeEncoding<Parts>::value), ...);
  return text;
}

constexpr bool isFrameDigit(char c) { return c >= '0' && c <= '9'; }

}  // namespace detail

template <class Fn>
struct MethodSignature;

// An implementation always takes the receiver and the selector first.
template <class R, class Self, class... Args>
struct MethodSignature<R (*)(Self, SEL, Args...)> {
  static_assert(std::is_same_v<Self, id> || std::is_same_v<Self, Class>,
                "an implementation takes its receiver as id (or Class for class methods)");
  using Result = R;
  static constexpr auto encoding = detail::joined<R, id, SEL, Args...>();
};

// The encoding of a method implementation's C++ type, e.g. "v@:d".
template <class Fn>
constexpr const char* encodingOf() {
  return MethodSignature<Fn>::encoding.chars;
}

template <class Fn>
constexpr const char* encodingOf(Fn) {
  return MethodSignature<Fn>::encoding.chars;
}

// Encodings equal once the frame sizes and offsets ("v16@0:8") are taken out.
constexpr bool sameEncoding(const char* a, const char* b) {
  for (;; ++a, ++b) {
    while (detail::isFrameDigit(*a)) ++a;
    while (detail::isFrameDigit(*b)) ++b;
    if (*a != *b) return false;
    if (*a == '\0') return true;
  }
}

}  // namespace objc
