// NSString, NSNumber, NSData, NSDate: immutable property-list values with the platform's
// number conversions.

#include "platform/foundation/Classes.h"
#include "platform/foundation/Foundation.h"
#include "platform/foundation/Literals.h"
#include "platform/objc/ClassBuilder.h"
#include "platform/objc/Message.h"

namespace foundation {
namespace detail {
namespace {

using namespace objc::literals;
using objc::send;

const plist::Value& valueOf(id self) { return objc::stateOf<ValueState>(self).value; }

// Every class here answers the same conversions from its value.
BOOL boolValue(id self, SEL) { return valueOf(self).boolValue() ? YES : NO; }
int intValue(id self, SEL) { return valueOf(self).intValue(); }
long long integerValue(id self, SEL) { return valueOf(self).integerValue(); }
float floatValue(id self, SEL) { return valueOf(self).floatValue(); }
double doubleValue(id self, SEL) { return valueOf(self).doubleValue(); }
id copySelf(id self, SEL) { return objc::retain(self); }

BOOL isEqual(id self, SEL, id other) {
  if (other == self) return YES;
  if (other == nil || objc::classOf(other) != objc::classOf(self)) {
    // A constant string equals a made one of the same text.
    auto mine = stringOf(self);
    auto theirs = stringOf(other);
    return mine && theirs && *mine == *theirs ? YES : NO;
  }
  return valueOf(self) == valueOf(other) ? YES : NO;
}

unsigned long hashOf(id self, SEL) {
  if (auto text = stringOf(self)) return std::hash<std::string>{}(*text);
  return static_cast<unsigned long>(valueOf(self).integerValue());
}

// A new value object of the receiving class, owned by the autorelease pool.
id autoreleased(id cls, plist::Value value) {
  return objc::autorelease(makeValueObject(reinterpret_cast<Class>(cls), std::move(value)).take());
}

id stringWithUTF8String(id cls, SEL, const char* text) {
  if (text == nullptr) return nil;
  return autoreleased(cls, plist::Value(std::string(text)));
}
// A failing initialiser releases its receiver.
id initWithUTF8String(id self, SEL, const char* text) {
  if (text == nullptr) {
    objc::release(self);
    return nil;
  }
  objc::stateOf<ValueState>(self).value = plist::Value(std::string(text));
  return self;
}
const char* utf8String(id self, SEL) { return valueOf(self).asString()->c_str(); }
unsigned long length(id self, SEL) { return valueOf(self).asString()->size(); }
BOOL isEqualToString(id self, SEL, id other) {
  auto theirs = stringOf(other);
  return theirs && *theirs == *valueOf(self).asString() ? YES : NO;
}

id numberWithBool(id cls, SEL, BOOL value) {
  return autoreleased(cls, plist::Value(value != NO));
}
id numberWithInt(id cls, SEL, int value) {
  return autoreleased(cls, plist::Value(static_cast<long long>(value)));
}
id numberWithLongLong(id cls, SEL, long long value) {
  return autoreleased(cls, plist::Value(value));
}
id numberWithFloat(id cls, SEL, float value) {
  return autoreleased(cls, plist::Value(static_cast<double>(value)));
}
id numberWithDouble(id cls, SEL, double value) {
  return autoreleased(cls, plist::Value(value));
}

// Strings and numbers answer the same conversions; data and dates have none.
objc::ClassBuilder& withNumberConversions(objc::ClassBuilder& builder) {
  return builder.method("boolValue"_sel, &boolValue)
      .method("intValue"_sel, &intValue)
      .method("integerValue"_sel, &integerValue)
      .method("longLongValue"_sel, &integerValue)
      .method("floatValue"_sel, &floatValue)
      .method("doubleValue"_sel, &doubleValue);
}

}  // namespace

objc::Ref makeValueObject(Class cls, plist::Value value) {
  objc::Ref object = objc::Ref::adopt(send<id()>(cls, "alloc"_sel));
  objc::stateOf<ValueState>(object).value = std::move(value);
  return object;
}

void registerValueClasses() {
  Class value = objc::ClassBuilder("NSValueObject", objc::rootClass())
                    .state<ValueState>()
                    .method("copy"_sel, &copySelf)
                    .method("isEqual:"_sel, &isEqual)
                    .method("hash"_sel, &hashOf)
                    .build();
  objc::ClassBuilder stringBuilder("NSString", value);
  withNumberConversions(stringBuilder)
      .classMethod("stringWithUTF8String:"_sel, &stringWithUTF8String)
      .method("initWithUTF8String:"_sel, &initWithUTF8String)
      .method("UTF8String"_sel, &utf8String)
      .method("length"_sel, &length)
      .method("isEqualToString:"_sel, &isEqualToString);
  stringBuilder.build();
  objc::ClassBuilder numberBuilder("NSNumber", value);
  withNumberConversions(numberBuilder)
      .classMethod("numberWithBool:"_sel, &numberWithBool)
      .classMethod("numberWithInt:"_sel, &numberWithInt)
      .classMethod("numberWithInteger:"_sel, &numberWithLongLong)
      .classMethod("numberWithLongLong:"_sel, &numberWithLongLong)
      .classMethod("numberWithFloat:"_sel, &numberWithFloat)
      .classMethod("numberWithDouble:"_sel, &numberWithDouble);
  numberBuilder.build();
  objc::ClassBuilder("NSData", value).build();
  objc::ClassBuilder("NSDate", value).build();
}

}  // namespace detail

using namespace objc::literals;
using objc::send;

objc::Ref makeString(std::string_view text) {
  registerClasses();
  return detail::makeValueObject(objc::getClass("NSString"), plist::Value(std::string(text)));
}

objc::Ref makeNumber(bool value) {
  registerClasses();
  return detail::makeValueObject(objc::getClass("NSNumber"), plist::Value(value));
}

objc::Ref makeNumber(long long value) {
  registerClasses();
  return detail::makeValueObject(objc::getClass("NSNumber"), plist::Value(value));
}

objc::Ref makeNumber(double value) {
  registerClasses();
  return detail::makeValueObject(objc::getClass("NSNumber"), plist::Value(value));
}

std::optional<std::string> stringOf(id object) {
  static const Class string = (registerClasses(), objc::getClass("NSString"));
  if (object == nil || !send<BOOL(Class)>(object, "isKindOfClass:"_sel, string)) return std::nullopt;
  return *detail::valueOf(object).asString();
}

}  // namespace foundation
