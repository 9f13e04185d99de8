// NSValue: a C value (a point, a rectangle, a transform) boxed as an object, with the type
// encoding it was made with. Two boxes are equal when both type and bytes are.

#include "platform/foundation/Classes.h"
#include "platform/foundation/Foundation.h"
#include "platform/objc/ClassBuilder.h"
#include "platform/objc/Encoding.h"
#include "platform/objc/Message.h"

#include <cstring>

namespace foundation {

using namespace objc::literals;
using objc::send;

namespace detail {
namespace {

struct BoxState {
  std::vector<unsigned char> bytes;
  std::string type;
};

BoxState& boxOf(id self) { return objc::stateOf<BoxState>(self); }

const char* objCType(id self, SEL) { return boxOf(self).type.c_str(); }

BOOL isEqual(id self, SEL, id other) {
  if (other == self) return YES;
  if (objc::classOf(other) != objc::classOf(self)) return NO;
  return boxOf(self).bytes == boxOf(other).bytes && objc::sameEncoding(boxOf(self).type.c_str(), boxOf(other).type.c_str()) ? YES : NO;
}

id copySelf(id self, SEL) { return objc::retain(self); }

}  // namespace

void registerBoxClass() {
  objc::ClassBuilder("NSValue", objc::rootClass())
      .state<BoxState>()
      .method("objCType"_sel, &objCType)
      .method("isEqual:"_sel, &isEqual)
      .method("copy"_sel, &copySelf)
      .build();
}

}  // namespace detail

objc::Ref makeBoxed(const void* bytes, std::size_t size, std::string_view objcType) {
  registerClasses();
  objc::Ref box = objc::Ref::adopt(send<id()>(objc::getClass("NSValue"), "new"_sel));
  auto& state = detail::boxOf(box);
  state.bytes.assign(static_cast<const unsigned char*>(bytes), static_cast<const unsigned char*>(bytes) + size);
  state.type = objcType;
  return box;
}

const void* boxedBytes(id value, std::string_view objcType, std::size_t size) {
  static const Class boxClass = (registerClasses(), objc::getClass("NSValue"));
  if (value == nil || objc::classOf(value) != boxClass) return nullptr;
  const auto& state = detail::boxOf(value);
  if (state.bytes.size() != size || !objc::sameEncoding(state.type.c_str(), std::string(objcType).c_str())) return nullptr;
  return state.bytes.data();
}

}  // namespace foundation
