#pragma once
// The runtime's type encodings of CoreGraphics' references, so that methods taking or
// answering them can be defined with checked encodings.

#include "platform/coregraphics/CGColor.h"
#include "platform/coregraphics/CGImage.h"
#include "platform/objc/Encoding.h"

namespace objc {

template <>
struct TypeEncoding<CGColorRef> {
  static constexpr const char* value = "^{CGColor=}";
};
template <>
struct TypeEncoding<CGImageRef> {
  static constexpr const char* value = "^{CGImage=}";
};
template <>
struct TypeEncoding<CGContextRef> {
  static constexpr const char* value = "^{CGContext=}";
};

}  // namespace objc
