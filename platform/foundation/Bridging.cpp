// Property-list values to objects and back.

#include "platform/foundation/Classes.h"
#include "platform/foundation/Foundation.h"
#include "platform/objc/ClassBuilder.h"
#include "platform/objc/Message.h"

namespace foundation {

namespace {
using namespace objc::literals;
using objc::send;

bool isKind(id object, const char* className) {
  return send<BOOL(Class)>(object, "isKindOfClass:"_sel, objc::getClass(className)) == YES;
}
}  // namespace

objc::Ref toObject(const plist::Value& value) {
  registerClasses();
  if (value.isArray()) {
    objc::Ref array = objc::Ref::adopt(send<id()>(objc::getClass("NSMutableArray"), "new"_sel));
    for (const plist::Value& item : *value.asArray()) {
      objc::stateOf<detail::ArrayState>(array).items.push_back(toObject(item));
    }
    return array;
  }
  if (value.isDictionary()) {
    objc::Ref dictionary = objc::Ref::adopt(send<id()>(objc::getClass("NSMutableDictionary"), "new"_sel));
    for (const auto& [key, item] : *value.asDictionary()) {
      objc::stateOf<detail::DictionaryState>(dictionary).entries[key] = toObject(item);
    }
    return dictionary;
  }
  const char* cls = value.isString() ? "NSString" : value.isData() ? "NSData" : value.isDate() ? "NSDate" : "NSNumber";
  return detail::makeValueObject(objc::getClass(cls), value);
}

std::optional<plist::Value> toValue(id object) {
  if (object == nil) return std::nullopt;
  if (isKind(object, "NSValueObject")) return objc::stateOf<detail::ValueState>(object).value;
  if (isKind(object, "NSArray")) {
    plist::Array items;
    for (const objc::Ref& item : objc::stateOf<detail::ArrayState>(object).items) {
      auto converted = toValue(item);
      if (!converted) return std::nullopt;
      items.push_back(std::move(*converted));
    }
    return plist::Value(std::move(items));
  }
  if (isKind(object, "NSDictionary")) {
    plist::Dictionary entries;
    for (const auto& [key, item] : objc::stateOf<detail::DictionaryState>(object).entries) {
      auto converted = toValue(item);
      if (!converted) return std::nullopt;
      entries.emplace(key, std::move(*converted));
    }
    return plist::Value(std::move(entries));
  }
  return std::nullopt;
}

}  // namespace foundation
