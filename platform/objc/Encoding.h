#pragma once
// Type encodings generated from C++ signatures, with the letters the runtime writes, so
// that a method's declared types and its implementation cannot drift apart.

#include "platform/objc/Runtime.h"

#include <concepts>
#include <string>
#include <string_view>
#include <type_traits>

namespace objc {

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
  static constexpr std::string_view value = T::objcEncoding;
};

#define TESSARO_OBJC_ENCODING(Type, Letters)             \
  template <>                                            \
  struct TypeEncoding<Type> {                            \
    static constexpr std::string_view value = Letters;   \
  };

TESSARO_OBJC_ENCODING(void, "v")
TESSARO_OBJC_ENCODING(id, "@")
TESSARO_OBJC_ENCODING(SEL, ":")
TESSARO_OBJC_ENCODING(Class, "#")
// The device's BOOL is a signed char and is written "c"; this runtime's BOOL is an
// unsigned char of the same size and passing, so it is written the device's way.
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

template <class Fn>
struct MethodSignature;

// An implementation always takes the receiver and the selector first.
template <class R, class Self, class... Args>
struct MethodSignature<R (*)(Self, SEL, Args...)> {
  static_assert(std::is_same_v<Self, id> || std::is_same_v<Self, Class>,
                "an implementation takes its receiver as id (or Class for class methods)");
  using Result = R;
  static std::string encoding() {
    std::string text{TypeEncoding<R>::value};
    text += "@:";
    ((text += TypeEncoding<Args>::value), ...);
    return text;
  }
};

// The encoding of a method implementation's C++ type, e.g. "v@:d".
template <class Fn>
std::string encodingOf() {
  return MethodSignature<Fn>::encoding();
}

template <class Fn>
std::string encodingOf(Fn) {
  return MethodSignature<Fn>::encoding();
}

// Encodings equal once the frame sizes and offsets ("v16@0:8") are taken out.
bool sameEncoding(std::string_view a, std::string_view b);

}  // namespace objc
