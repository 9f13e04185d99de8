// NSArray and NSDictionary with their mutable kinds. Dictionaries are keyed by string,
// which is all a property list holds; they read and write property-list files on the
// device's file system.

#include "platform/core/EventLog.h"
#include "platform/foundation/Classes.h"
#include "platform/core/DeviceRoot.h"
#include "platform/foundation/Foundation.h"
#include "platform/objc/ClassBuilder.h"
#include "platform/objc/Message.h"

namespace foundation::detail {
namespace {

using namespace objc::literals;
using objc::send;

ArrayState& arrayOf(id self) { return objc::stateOf<ArrayState>(self); }
DictionaryState& dictionaryOf(id self) { return objc::stateOf<DictionaryState>(self); }

std::string keyOf(id key, SEL sel) {
  auto text = stringOf(key);
  if (!text) objc::fatal("-[NSDictionary %s] with a key that is not a string", sel_getName(sel));
  return *text;
}

id newOfClass(id cls) { return send<id()>(cls, "new"_sel); }
id emptyCollection(id cls, SEL) { return objc::autorelease(newOfClass(cls)); }

unsigned long arrayCount(id self, SEL) { return arrayOf(self).items.size(); }
id objectAtIndex(id self, SEL sel, unsigned long index) {
  auto& items = arrayOf(self).items;
  if (index >= items.size()) objc::fatal("-[NSArray %s]: index %lu beyond count %zu", sel_getName(sel), index, items.size());
  return items[index];
}
void addObject(id self, SEL sel, id object) {
  if (object == nil) objc::fatal("-[NSMutableArray %s]: nil object", sel_getName(sel));
  arrayOf(self).items.emplace_back(object);
}
void removeAllObjects(id self, SEL) { arrayOf(self).items.clear(); }

unsigned long dictionaryCount(id self, SEL) { return dictionaryOf(self).entries.size(); }
id objectForKey(id self, SEL sel, id key) {
  if (key == nil) return nil;
  auto& entries = dictionaryOf(self).entries;
  auto found = entries.find(keyOf(key, sel));
  return found == entries.end() ? nil : found->second.get();
}
void setObjectForKey(id self, SEL sel, id object, id key) {
  if (object == nil) objc::fatal("-[NSMutableDictionary %s]: nil object", sel_getName(sel));
  dictionaryOf(self).entries[keyOf(key, sel)] = objc::Ref(object);
}
void removeObjectForKey(id self, SEL sel, id key) { dictionaryOf(self).entries.erase(keyOf(key, sel)); }
void addEntriesFromDictionary(id self, SEL, id other) {
  if (other == nil) return;
  for (const auto& [key, value] : dictionaryOf(other).entries) dictionaryOf(self).entries[key] = value;
}
id allKeys(id self, SEL) {
  id keys = newOfClass(objc::asId(objc::getClass("NSMutableArray")));
  for (const auto& entry : dictionaryOf(self).entries) arrayOf(keys).items.push_back(makeString(entry.first));
  return objc::autorelease(keys);
}

// Reads a property-list dictionary from a device path into `self`; nil (and `self`
// released) when the file is missing, unreadable or not a dictionary.
id initWithContentsOfFile(id self, SEL, id path) {
  auto devicePath = stringOf(path);
  std::optional<plist::Dictionary> contents;
  bool refused = false;
  if (devicePath) {
    if (auto hostPath = core::resolve(*devicePath)) {
      refused = core::isUnreadable(*hostPath);
      if (!refused) contents = plist::readDictionary(*hostPath);
    }
  }
  const std::string shown = devicePath.value_or("(not a path)");
  core::record("file.read", shown + (refused ? " (unreadable: not permitted)" : contents ? "" : " (none)"),
               {{"path", shown}, {"ok", contents.has_value()}});
  if (!contents) {
    objc::release(self);
    return nil;
  }
  auto& entries = dictionaryOf(self).entries;
  for (const auto& [key, value] : *contents) entries[key] = toObject(value);
  return self;
}

id dictionaryWithContentsOfFile(id cls, SEL, id path) {
  id dictionary = initWithContentsOfFile(send<id()>(cls, "alloc"_sel), "initWithContentsOfFile:"_sel, path);
  return objc::autorelease(dictionary);
}

BOOL writeToFileAtomically(id self, SEL, id path, BOOL) {
  auto devicePath = stringOf(path).value_or("");
  auto value = toValue(self);
  auto hostPath = core::resolve(devicePath);
  bool written = false;
  if (value && hostPath && core::ensureParentDirectories(*hostPath)) {
    // The whole file is rewritten: XML as the device writes it, unless a value another
    // process stored would not come back from XML as it was.
    written = plist::writeDictionaryAtomically(*value->asDictionary(), *hostPath, plist::Format::XmlOrBinary);
  }
  core::record("file.write", devicePath + (written ? "" : " (failed)"), {{"path", devicePath}, {"ok", written}});
  return written ? YES : NO;
}

id copyImmutable(id self, SEL) { return objc::retain(self); }

// A new instance of `Target` with the same entries: the mutable copy of either kind, and
// the immutable copy of a mutable one.
template <class State, objc::FixedString Target>
id copyAs(id self, SEL) {
  id copy = newOfClass(objc::asId(objc::getClass(Target.chars)));
  objc::stateOf<State>(copy) = objc::stateOf<State>(self);
  return copy;
}

}  // namespace

void registerCollectionClasses() {
  Class array = objc::ClassBuilder("NSArray", objc::rootClass())
                    .state<ArrayState>()
                    .classMethod("array"_sel, &emptyCollection)
                    .method("count"_sel, &arrayCount)
                    .method("objectAtIndex:"_sel, &objectAtIndex)
                    .method("copy"_sel, &copyImmutable)
                    .method("mutableCopy"_sel, &copyAs<ArrayState, "NSMutableArray">)
                    .build();
  objc::ClassBuilder("NSMutableArray", array)
      .method("copy"_sel, &copyAs<ArrayState, "NSArray">)
      .method("addObject:"_sel, &addObject)
      .method("removeAllObjects"_sel, &removeAllObjects)
      .build();
  Class dictionary = objc::ClassBuilder("NSDictionary", objc::rootClass())
                         .state<DictionaryState>()
                         .classMethod("dictionary"_sel, &emptyCollection)
                         .classMethod("dictionaryWithContentsOfFile:"_sel, &dictionaryWithContentsOfFile)
                         .method("initWithContentsOfFile:"_sel, &initWithContentsOfFile)
                         .method("count"_sel, &dictionaryCount)
                         .method("objectForKey:"_sel, &objectForKey)
                         .method("allKeys"_sel, &allKeys)
                         .method("writeToFile:atomically:"_sel, &writeToFileAtomically)
                         .method("copy"_sel, &copyImmutable)
                         .method("mutableCopy"_sel, &copyAs<DictionaryState, "NSMutableDictionary">)
                         .build();
  objc::ClassBuilder("NSMutableDictionary", dictionary)
      .method("copy"_sel, &copyAs<DictionaryState, "NSDictionary">)
      .method("setObject:forKey:"_sel, &setObjectForKey)
      .method("removeObjectForKey:"_sel, &removeObjectForKey)
      .method("addEntriesFromDictionary:"_sel, &addEntriesFromDictionary)
      .build();
}

}  // namespace foundation::detail
