#include "platform/objc/Root.h"

#include "platform/objc/AutoreleasePool.h"
#include "platform/objc/ClassBuilder.h"
#include "platform/objc/Message.h"

#include <cstdint>
#include <unordered_map>
#include <vector>

namespace objc {
namespace detail {
namespace {

using namespace literals;

struct RootLayout {
  std::ptrdiff_t retainCount = -1;
  std::ptrdiff_t flags = -1;
};
RootLayout rootLayout;

// Per class: its own parts; per class flattened with its superclasses: the work of alloc.
std::unordered_map<Class, std::vector<InstancePart>>& ownParts() {
  static auto* parts = new std::unordered_map<Class, std::vector<InstancePart>>();
  return *parts;
}
std::unordered_map<Class, std::vector<InstancePart>>& allParts() {
  static auto* parts = new std::unordered_map<Class, std::vector<InstancePart>>();
  return *parts;
}

// Root first, so that a subclass's state may rely on its superclass's.
const std::vector<InstancePart>& partsFor(Class cls) {
  auto& cache = allParts();
  if (auto found = cache.find(cls); found != cache.end()) return found->second;
  std::vector<Class> chain;
  for (Class c = cls; c != Nil; c = class_getSuperclass(c)) chain.push_back(c);
  std::vector<InstancePart> parts;
  for (auto c = chain.rbegin(); c != chain.rend(); ++c) {
    if (auto own = ownParts().find(*c); own != ownParts().end()) {
      parts.insert(parts.end(), own->second.begin(), own->second.end());
    }
  }
  return cache.emplace(cls, std::move(parts)).first->second;
}

std::intptr_t& retainCountOf(id object) {
  return *reinterpret_cast<std::intptr_t*>(reinterpret_cast<char*>(object) + rootLayout.retainCount);
}

id allocInstance(id self, SEL) {
  auto cls = reinterpret_cast<Class>(self);
  id object = class_createInstance(cls, 0);
  if (object == nil) fatal("+[%s alloc]: out of memory", nameOf(cls));
  retainCountOf(object) = 1;
  for (const InstancePart& part : partsFor(cls)) {
    if (part.construct) part.construct(reinterpret_cast<char*>(object) + part.offset);
  }
  return object;
}

id newInstance(id self, SEL) {
  id object = send<id()>(self, "alloc"_sel);
  return send<id()>(object, "init"_sel);
}

id returnSelf(id self, SEL) { return self; }
void doNothing(id, SEL) {}
Class classOfInstance(id self, SEL) { return object_getClass(self); }
Class classItself(id self, SEL) { return reinterpret_cast<Class>(self); }
Class superclassOfInstance(id self, SEL) { return class_getSuperclass(object_getClass(self)); }

id retainInstance(id self, SEL) {
  ++retainCountOf(self);
  return self;
}

void releaseInstance(id self, SEL) {
  if (--retainCountOf(self) == 0) send<void()>(self, "dealloc"_sel);
}

long long retainCountMethod(id self, SEL) { return retainCountOf(self); }

id autoreleaseInstance(id self, SEL) {
  AutoreleasePool::add(self);
  return self;
}

void deallocInstance(id self, SEL) {
  const auto& parts = partsFor(object_getClass(self));
  for (auto part = parts.rbegin(); part != parts.rend(); ++part) {
    part->destruct(reinterpret_cast<char*>(self) + part->offset);
  }
  if (flagsOf(self) & kHasAssociations) dropAssociations(self);
  object_dispose(self);
}

BOOL respondsToSelector(id self, SEL, SEL query) {
  return class_respondsToSelector(object_getClass(self), query) ? YES : NO;
}

BOOL instancesRespondToSelector(id self, SEL, SEL query) {
  return class_respondsToSelector(reinterpret_cast<Class>(self), query) ? YES : NO;
}

BOOL isKindOfClass(id self, SEL, Class cls) {
  for (Class c = object_getClass(self); c != Nil; c = class_getSuperclass(c)) {
    if (c == cls) return YES;
  }
  return NO;
}

BOOL isMemberOfClass(id self, SEL, Class cls) { return object_getClass(self) == cls ? YES : NO; }
BOOL isEqual(id self, SEL, id other) { return self == other ? YES : NO; }
unsigned long hashOf(id self, SEL) { return reinterpret_cast<std::uintptr_t>(self); }

void unrecognized(id self, SEL sel) {
  const bool isClass = class_isMetaClass(object_getClass(self));
  fatal("%c[%s %s]: unrecognized selector sent to %s %p", isClass ? '+' : '-',
        isClass ? class_getName(reinterpret_cast<Class>(self)) : class_getName(object_getClass(self)),
        sel_getName(sel), isClass ? "class" : "instance", static_cast<void*>(self));
}

// The runtime asks this for the implementation of a selector the receiver lacks.
IMP forwardingFor(id, SEL) { return toImp(&unrecognized); }

Class makeRootClass() {
  __objc_msg_forward2 = &forwardingFor;
  Class root = objc_allocateClassPair(Nil, "NSObject", 0);
  if (root == Nil) fatal("cannot allocate the root class");
  class_addIvar(root, "isa", sizeof(Class), 3, "#");
  class_addIvar(root, "_retainCount", sizeof(std::intptr_t), 3, "q");
  class_addIvar(root, "_rootFlags", sizeof(std::uint32_t), 2, "I");
  objc_registerClassPair(root);
  rootLayout.retainCount = ivar_getOffset(class_getInstanceVariable(root, "_retainCount"));
  rootLayout.flags = ivar_getOffset(class_getInstanceVariable(root, "_rootFlags"));

  Class meta = object_getClass(asId(root));
  auto instance = [&](SEL sel, auto fn) {
    class_addMethod(root, sel, toImp(fn), encodingOf(fn));
  };
  auto classSide = [&](SEL sel, auto fn) {
    class_addMethod(meta, sel, toImp(fn), encodingOf(fn));
  };
  classSide("alloc"_sel, &allocInstance);
  classSide("new"_sel, &newInstance);
  classSide("class"_sel, &classItself);
  classSide("instancesRespondToSelector:"_sel, &instancesRespondToSelector);
  // This runtime's root metaclass does not inherit the root's instance methods, so the
  // few that class objects answer are given to it as well.
  classSide("respondsToSelector:"_sel, &respondsToSelector);
  classSide("self"_sel, &returnSelf);
  classSide("isEqual:"_sel, &isEqual);
  classSide("hash"_sel, &hashOf);
  // Class objects live for the whole process and are not counted.
  classSide("retain"_sel, &returnSelf);
  classSide("release"_sel, &doNothing);
  classSide("autorelease"_sel, &returnSelf);
  instance("init"_sel, &returnSelf);
  instance("self"_sel, &returnSelf);
  instance("class"_sel, &classOfInstance);
  instance("superclass"_sel, &superclassOfInstance);
  instance("retain"_sel, &retainInstance);
  instance("release"_sel, &releaseInstance);
  instance("autorelease"_sel, &autoreleaseInstance);
  instance("retainCount"_sel, &retainCountMethod);
  instance("dealloc"_sel, &deallocInstance);
  instance("respondsToSelector:"_sel, &respondsToSelector);
  instance("isKindOfClass:"_sel, &isKindOfClass);
  instance("isMemberOfClass:"_sel, &isMemberOfClass);
  instance("isEqual:"_sel, &isEqual);
  instance("hash"_sel, &hashOf);
  return root;
}

}  // namespace

std::uint32_t& flagsOf(id object) {
  return *reinterpret_cast<std::uint32_t*>(reinterpret_cast<char*>(object) + rootLayout.flags);
}

void registerInstanceParts(Class cls, std::vector<InstancePart> parts) {
  ownParts()[cls] = std::move(parts);
  allParts().clear();
}

}  // namespace detail

Class rootClass() {
  static const Class root = detail::makeRootClass();
  return root;
}

}  // namespace objc
