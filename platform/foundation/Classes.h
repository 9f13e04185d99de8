#pragma once
// Internal: the pieces of registerClasses(), one per file, and the state the value
// classes share.

#include "platform/plist/PropertyList.h"
#include "platform/objc/Ref.h"

#include <map>
#include <string>
#include <vector>

namespace foundation::detail {

// NSString, NSNumber, NSData and NSDate hold one property-list value each.
struct ValueState {
  plist::Value value;
};

struct ArrayState {
  std::vector<objc::Ref> items;
};

struct DictionaryState {
  std::map<std::string, objc::Ref> entries;
};

void registerValueClasses();
void registerCollectionClasses();
void registerTimerClass();
void registerQueueClasses();
void registerSystemClasses();
void registerBoxClass();
void registerBundleClass();
void registerErrorClass();

// A new, owned instance of the named value class holding `value`.
objc::Ref makeValueObject(Class cls, plist::Value value);

}  // namespace foundation::detail
