#include "platform/objc/MethodObserver.h"

namespace objc {

namespace {
MethodObserver currentObserver = nullptr;
}

void setMethodObserver(MethodObserver observer) { currentObserver = observer; }

void noteMethodChange(MethodChange change, Class cls, SEL sel, const char* types, const void* caller) {
  if (currentObserver != nullptr) currentObserver(change, cls, sel, types, caller);
}

const char* describe(MethodChange change) {
  switch (change) {
    case MethodChange::Added: return "added";
    case MethodChange::AlreadyThere: return "kept host's";
    case MethodChange::Hooked: return "hooked";
    case MethodChange::NotHooked: return "skipped: no such method";
    case MethodChange::NoClass: return "skipped: class not loaded";
  }
  return "?";
}

}  // namespace objc
