#pragma once
// Defining runtime classes from C++: superclass, real ivars (so lookup by name works),
// instance and class methods with checked encodings, and per-instance C++ state that
// lives inside the object and is destroyed when the object deallocates.

#include "platform/objc/Encoding.h"
#include "platform/objc/Fatal.h"
#include "platform/objc/MethodObserver.h"
#include "platform/objc/Runtime.h"

#include <cassert>
#include <cstddef>
#include <new>
#include <string>
#include <vector>

namespace objc {

// The root class, "NSObject": reference counting, alloc/init/dealloc, introspection.
// Made the first time it is asked for.
Class rootClass();

namespace detail {

// Work done for every instance of a class at alloc and at dealloc.
struct InstancePart {
  std::size_t offset;
  void (*construct)(void*);  // null for parts that start zeroed
  void (*destruct)(void*);
};

void registerInstanceParts(Class cls, std::vector<InstancePart> parts);
void addInstanceMethod(Class cls, SEL sel, IMP imp, const std::string& types, bool replace);

template <class State>
struct StateOffset {
  static inline std::ptrdiff_t value = -1;
  static inline Class owner = Nil;
};

}  // namespace detail

class ClassBuilder {
 public:
  ClassBuilder(const char* name, Class superclass);
  ClassBuilder(const char* name, const char* superclassName);
  ClassBuilder(const ClassBuilder&) = delete;
  ClassBuilder& operator=(const ClassBuilder&) = delete;

  // A plain runtime instance variable, zeroed at alloc.
  template <class T>
  ClassBuilder& ivar(const char* name) {
    addIvar(name, sizeof(T), alignof(T), TypeEncoding<T>::value);
    return *this;
  }

  // An object instance variable that holds a strong reference, released at dealloc.
  ClassBuilder& strongIvar(const char* name);

  // Per-instance C++ state, constructed at alloc and destroyed at dealloc. Reach it with
  // stateOf<State>(object). One State type belongs to one class.
  template <class State>
  ClassBuilder& state() {
    static_assert(alignof(State) <= alignof(std::max_align_t));
    const std::string ivarName = std::string("__state_") + name_;
    addIvar(ivarName.c_str(), sizeof(State), alignof(State), "?");
    pendingStates_.push_back({ivarName, [](void* at) { new (at) State(); },
                              [](void* at) { static_cast<State*>(at)->~State(); }});
    stateBinders_.push_back([](Class cls, std::ptrdiff_t offset) {
      detail::StateOffset<State>::value = offset;
      detail::StateOffset<State>::owner = cls;
    });
    return *this;
  }

  template <class Fn>
  ClassBuilder& method(SEL sel, Fn implementation) {
    methods_.push_back({sel, toImp(implementation), encodingOf<Fn>(), false});
    return *this;
  }

  template <class Fn>
  ClassBuilder& classMethod(SEL sel, Fn implementation) {
    methods_.push_back({sel, toImp(implementation), encodingOf<Fn>(), true});
    return *this;
  }

  // Leaves out an instance method given before (a host without it). True when there was one.
  bool dropMethod(SEL sel);

  // Registers the class with the runtime. Aborts when a class of that name exists.
  Class build();

 private:
  struct PendingMethod {
    SEL sel;
    IMP imp;
    std::string types;
    bool onClass;
  };
  struct PendingState {
    std::string ivarName;
    void (*construct)(void*);
    void (*destruct)(void*);
  };
  using StateBinder = void (*)(Class, std::ptrdiff_t);

  void addIvar(const char* name, std::size_t size, std::size_t alignment, const std::string& types);

  std::string name_;
  Class class_ = Nil;
  std::vector<PendingMethod> methods_;
  std::vector<PendingState> pendingStates_;
  std::vector<StateBinder> stateBinders_;
  std::vector<std::string> strongIvars_;
};

// The C++ state that `object`'s class (or a superclass) declared with state<State>().
template <class State>
State& stateOf(id object) {
  assert(detail::StateOffset<State>::value >= 0 && "state of a class that was never built");
  assert(object != nil);
  return *reinterpret_cast<State*>(reinterpret_cast<char*>(object) + detail::StateOffset<State>::value);
}

// Adds an instance method, as a library adds one to a host class. Like the runtime, adds
// nothing and answers false when the class itself already has the selector. The C++ type
// of `implementation` must agree with `declaredTypes`: a mismatch stops the device instead
// of corrupting memory at the first call.
template <class Fn>
bool addMethod(Class cls, SEL sel, Fn implementation, const char* declaredTypes) {
  if (!sameEncoding(encodingOf<Fn>(), declaredTypes)) {
    fatal("adding -[%s %s]: implementation is %s, declared %s", nameOf(cls), sel_getName(sel), encodingOf<Fn>(),
          declaredTypes);
  }
  return cls != Nil && class_addMethod(cls, sel, toImp(implementation), declaredTypes);
}

}  // namespace objc
