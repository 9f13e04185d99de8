// The two files the module reads, fresh at every call.

#include "module/TessaroModule.h"

#include "platform/foundation/Literals.h"
#include "platform/objc/Message.h"

namespace module {

namespace {

using namespace objc::literals;
using namespace foundation::literals;
using objc::send;

id freshDictionary() {
  static const Class cls = objc_getClass("NSMutableDictionary");
  return send<id()>(cls, "dictionary"_sel);
}

id contentsOf(id path) {
  static const Class cls = objc_getClass("NSDictionary");
  return send<id(id)>(cls, "dictionaryWithContentsOfFile:"_sel, path);
}

}  // namespace

id prefs(id, SEL) {
  id dictionary = freshDictionary();
  send<void(id)>(dictionary, "addEntriesFromDictionary:"_sel,
                 contentsOf("/var/mobile/Library/Preferences/com.brel.tessaro.plist"_ns));
  return dictionary;
}

id CorvelPrefs(id, SEL) {
  static const Class fileManager = objc_getClass("NSFileManager");
  id path = "/var/mobile/Library/Preferences/com.brel.corvel.plist"_ns;
  id dictionary = freshDictionary();
  if (send<BOOL(id)>(send<id()>(fileManager, "defaultManager"_sel), "fileExistsAtPath:"_sel, path)) {
    send<void(id)>(dictionary, "addEntriesFromDictionary:"_sel, contentsOf(path));
  }
  return dictionary;
}

bool flag(id dictionary, id key) {
  id value = send<id(id)>(dictionary, "objectForKey:"_sel, key);
  return objc::respondsTo(value, "boolValue"_sel) && send<BOOL()>(value, "boolValue"_sel);
}

}  // namespace module
