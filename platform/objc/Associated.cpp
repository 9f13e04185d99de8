#include "platform/objc/Associated.h"

#include "platform/objc/Message.h"
#include "platform/objc/Ref.h"
#include "platform/objc/Root.h"

#include <unordered_map>
#include <vector>

namespace {

using namespace objc::literals;

struct Association {
  const void* key;
  id value;
  bool owned;
};

// Few objects carry associations, each only a couple: a small vector per owner.
std::unordered_map<id, std::vector<Association>>& table() {
  static auto* associations = new std::unordered_map<id, std::vector<Association>>();
  return *associations;
}

void releaseIfOwned(const Association& association) {
  if (association.owned) objc::release(association.value);
}

}  // namespace

namespace objc::detail {

void dropAssociations(id object) {
  auto found = table().find(object);
  if (found == table().end()) return;
  // Out of the table before releasing: a value's own dealloc may touch the table.
  std::vector<Association> dropped = std::move(found->second);
  table().erase(found);
  flagsOf(object) &= ~kHasAssociations;
  for (const Association& association : dropped) releaseIfOwned(association);
}

}  // namespace objc::detail

extern "C" {

void objc_setAssociatedObject(id object, const void* key, id value, objc_AssociationPolicy policy) {
  if (object == nil) return;
  id stored = value;
  bool owned = false;
  switch (policy) {
    case OBJC_ASSOCIATION_ASSIGN:
      break;
    case OBJC_ASSOCIATION_COPY_NONATOMIC:
    case OBJC_ASSOCIATION_COPY:
      stored = objc::send<id()>(value, "copy"_sel);
      owned = true;
      break;
    default:
      stored = objc::retain(value);
      owned = true;
      break;
  }

  auto& entries = table()[object];
  Association previous{key, nil, false};
  bool replaced = false;
  for (auto entry = entries.begin(); entry != entries.end(); ++entry) {
    if (entry->key != key) continue;
    previous = *entry;
    replaced = true;
    if (stored == nil) {
      entries.erase(entry);
    } else {
      *entry = {key, stored, owned};
    }
    break;
  }
  if (!replaced && stored != nil) entries.push_back({key, stored, owned});
  if (entries.empty()) {
    table().erase(object);
    objc::detail::flagsOf(object) &= ~objc::detail::kHasAssociations;
  } else {
    objc::detail::flagsOf(object) |= objc::detail::kHasAssociations;
  }
  // Released last, when the table is consistent again.
  if (replaced) releaseIfOwned(previous);
}

id objc_getAssociatedObject(id object, const void* key) {
  if (object == nil || !(objc::detail::flagsOf(object) & objc::detail::kHasAssociations)) return nil;
  auto found = table().find(object);
  if (found == table().end()) return nil;
  for (const Association& entry : found->second) {
    if (entry.key == key) return entry.value;
  }
  return nil;
}

void objc_removeAssociatedObjects(id object) {
  if (object != nil) objc::detail::dropAssociations(object);
}
}
