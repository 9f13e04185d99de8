#pragma once
// The stand-in Foundation as C++ sees it: registering its classes, making and reading
// its objects, and the device state it owns.

#include "platform/plist/PropertyList.h"
#include "platform/objc/Ref.h"

#include <optional>
#include <string>
#include <string_view>

namespace foundation {

// Defines NSString, NSNumber, NSArray, NSDictionary (and mutable kinds), NSData, NSDate,
// NSTimer, NSOperationQueue, NSProcessInfo and NSFileManager. Idempotent.
void registerClasses();

objc::Ref makeString(std::string_view text);
objc::Ref makeNumber(bool value);
objc::Ref makeNumber(long long value);
objc::Ref makeNumber(double value);

// The text of an NSString, or none for anything else (nil included).
std::optional<std::string> stringOf(id object);

// Objects from a property-list value and back. toValue gives none for an object that
// has no property-list form (a timer, a view, a dictionary with a non-string key).
objc::Ref toObject(const plist::Value& value);
std::optional<plist::Value> toValue(id object);

// Low Power Mode, as NSProcessInfo reports it.
void setLowPowerMode(bool enabled);
bool lowPowerMode();

}  // namespace foundation
