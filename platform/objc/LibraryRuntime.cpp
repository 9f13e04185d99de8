// Runtime functions as a library calls them, given over the GNU runtime's where the device
// must see or shape the call. Exported under the runtime's own names, they come first in
// the search order of every library that links this layer: the layer sits before the GNU
// runtime on their link lines.
//
// - class_addMethod: reported to the method observer with the address it was called from,
//   so that the device sees what a library adds (MethodObserver.h).
// - objc_allocateClassPair and objc_registerClassPair: the GNU runtime looks the new name
//   up while defining a class, which would tell the unknown-class handler that a library
//   looked for a class it is in fact defining; the handler is set aside for the call.

#include "platform/objc/Fatal.h"
#include "platform/objc/MethodObserver.h"

#include <dlfcn.h>

namespace {

// The GNU runtime's own definition of `name`, whatever the search order.
void* runtimeFunction(const char* name) {
  void* runtime = dlopen("libobjc.so.4", RTLD_NOW | RTLD_NOLOAD);
  void* found = runtime != nullptr ? dlsym(runtime, name) : nullptr;
  if (found == nullptr) objc::fatal("the GNU runtime's %s is not loaded", name);
  return found;
}

}  // namespace

extern "C" BOOL class_addMethod(Class cls, SEL sel, IMP imp, const char* types) {
  using AddMethod = BOOL (*)(Class, SEL, IMP, const char*);
  static const auto runtime = reinterpret_cast<AddMethod>(runtimeFunction("class_addMethod"));
  const BOOL added = runtime(cls, sel, imp, types);
  const objc::MethodChange change =
      cls == Nil ? objc::MethodChange::NoClass : added ? objc::MethodChange::Added : objc::MethodChange::AlreadyThere;
  objc::noteMethodChange(change, cls, sel, types, __builtin_return_address(0));
  return added;
}

extern "C" Class objc_allocateClassPair(Class superclass, const char* name, size_t extraBytes) {
  using AllocateClassPair = Class (*)(Class, const char*, size_t);
  static const auto runtime = reinterpret_cast<AllocateClassPair>(runtimeFunction("objc_allocateClassPair"));
  objc_get_unknown_class_handler handler = objc_setGetUnknownClassHandler(nullptr);
  Class cls = runtime(superclass, name, extraBytes);
  objc_setGetUnknownClassHandler(handler);
  return cls;
}

extern "C" void objc_registerClassPair(Class cls) {
  using RegisterClassPair = void (*)(Class);
  static const auto runtime = reinterpret_cast<RegisterClassPair>(runtimeFunction("objc_registerClassPair"));
  objc_get_unknown_class_handler handler = objc_setGetUnknownClassHandler(nullptr);
  runtime(cls);
  objc_setGetUnknownClassHandler(handler);
}
