#include "platform/objc/ClassBuilder.h"

#include "platform/objc/Message.h"
#include "platform/objc/Ref.h"

#include <bit>

namespace objc {

namespace {

void releaseStrongIvar(void* at) {
  id& slot = *static_cast<id*>(at);
  release(slot);
  slot = nil;
}

Class superclassNamed(const char* name) {
  rootClass();
  Class cls = getClass(name);
  if (cls == Nil) fatal("superclass %s is not registered", name);
  return cls;
}

}  // namespace

ClassBuilder::ClassBuilder(const char* name, Class superclass) : name_(name) {
  rootClass();
  // Defining a class is not a library looking for one: the runtime layer's
  // objc_allocateClassPair keeps the unknown-class handler out of it.
  class_ = objc_allocateClassPair(superclass, name, 0);
  if (class_ == Nil || getClass(name) != Nil) fatal("cannot define class %s: the name is taken", name);
}

ClassBuilder::ClassBuilder(const char* name, const char* superclassName)
    : ClassBuilder(name, superclassNamed(superclassName)) {}

void ClassBuilder::addIvar(const char* name, std::size_t size, std::size_t alignment, const std::string& types) {
  const auto log2Alignment = static_cast<unsigned char>(std::countr_zero(alignment));
  if (!class_addIvar(class_, name, size, log2Alignment, types.c_str())) {
    fatal("cannot add ivar %s to %s", name, name_.c_str());
  }
}

ClassBuilder& ClassBuilder::strongIvar(const char* name) {
  ivar<id>(name);
  strongIvars_.emplace_back(name);
  return *this;
}

bool ClassBuilder::dropMethod(SEL sel) {
  const auto before = methods_.size();
  std::erase_if(methods_, [sel](const PendingMethod& m) { return !m.onClass && sel_isEqual(m.sel, sel); });
  return methods_.size() != before;
}

Class ClassBuilder::build() {
  objc_registerClassPair(class_);
  if (getClass(name_.c_str()) != class_) fatal("class %s did not register", name_.c_str());

  std::vector<detail::InstancePart> parts;
  for (std::size_t i = 0; i < pendingStates_.size(); ++i) {
    const auto offset = ivar_getOffset(class_getInstanceVariable(class_, pendingStates_[i].ivarName.c_str()));
    stateBinders_[i](class_, offset);
    parts.push_back({static_cast<std::size_t>(offset), pendingStates_[i].construct, pendingStates_[i].destruct});
  }
  for (const std::string& ivarName : strongIvars_) {
    const auto offset = ivar_getOffset(class_getInstanceVariable(class_, ivarName.c_str()));
    parts.push_back({static_cast<std::size_t>(offset), nullptr, &releaseStrongIvar});
  }
  if (!parts.empty()) detail::registerInstanceParts(class_, std::move(parts));

  Class meta = object_getClass(asId(class_));
  for (const PendingMethod& m : methods_) {
    if (!class_addMethod(m.onClass ? meta : class_, m.sel, m.imp, m.types.c_str())) {
      fatal("%c[%s %s] is defined twice", m.onClass ? '+' : '-', name_.c_str(), sel_getName(m.sel));
    }
  }
  return class_;
}

}  // namespace objc
