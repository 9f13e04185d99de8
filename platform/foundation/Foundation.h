#pragma once
// The stand-in Foundation as C++ sees it: registering its classes, making and reading
// its objects, and the device state it owns.

#include "platform/plist/PropertyList.h"
#include "platform/objc/Encoding.h"
#include "platform/objc/Ref.h"

#include <cstring>

#include <optional>
#include <string>
#include <string_view>

namespace foundation {

// Defines NSString, NSNumber, NSArray, NSDictionary (and mutable kinds), NSData, NSDate,
// NSTimer, NSOperationQueue, NSProcessInfo, NSFileManager, NSValue and NSBundle.
// Idempotent.
void registerClasses();

// NSTimers that repeat and have not been invalidated (the run loop holds each).
int validRepeatingTimers();

objc::Ref makeString(std::string_view text);
objc::Ref makeNumber(bool value);
objc::Ref makeNumber(long long value);
objc::Ref makeNumber(double value);
// An NSError of `domain` and `code`, owned by the autorelease pool.
id makeError(std::string_view domain, long long code);

// The text of an NSString, or none for anything else (nil included).
std::optional<std::string> stringOf(id object);

// Objects from a property-list value and back. toValue gives none for an object that
// has no property-list form (a timer, a view, a dictionary with a non-string key).
objc::Ref toObject(const plist::Value& value);
std::optional<plist::Value> toValue(id object);

// NSValue: a C value boxed with its type encoding, and its bytes back when the box holds
// that type and size (null otherwise, nil included). box/unbox do it for a type that
// declares its encoding (CGRect, CGAffineTransform, ...).
objc::Ref makeBoxed(const void* bytes, std::size_t size, std::string_view objcType);
const void* boxedBytes(id value, std::string_view objcType, std::size_t size);

template <class T>
objc::Ref box(const T& value) {
  return makeBoxed(&value, sizeof value, objc::TypeEncoding<T>::value);
}

template <class T>
std::optional<T> unbox(id value) {
  const void* bytes = boxedBytes(value, objc::TypeEncoding<T>::value, sizeof(T));
  if (bytes == nullptr) return std::nullopt;
  T result;
  std::memcpy(&result, bytes, sizeof result);
  return result;
}

// Low Power Mode, as NSProcessInfo reports it.
void setLowPowerMode(bool enabled);
bool lowPowerMode();

}  // namespace foundation
