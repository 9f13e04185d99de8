#pragma once
// The runtime's C interface on the phone (arm64, iOS 11 and 12), declared from the
// documented objc/objc.h and objc/runtime.h: the types, and only the functions the
// deliverables call. No SDK is needed to compile against it; the linker's stub of
// /usr/lib/libobjc.A.dylib names the same functions.
//
// On arm64 BOOL is bool, and IMP is declared without a prototype, as the runtime's
// headers declare it when the old dispatch prototypes are off: an implementation is always
// cast to its real type before it is called.

#include <cstddef>
#include <cstdint>

extern "C" {

typedef struct objc_class* Class;
struct objc_object {
  Class isa;
};
typedef struct objc_object* id;
typedef struct objc_selector* SEL;
typedef void (*IMP)(void);
typedef bool BOOL;
typedef struct objc_method* Method;
typedef struct objc_ivar* Ivar;

struct objc_super {
  id receiver;
  Class super_class;  // where the search for the method starts
};

Class objc_getClass(const char* name);
Class objc_lookUpClass(const char* name);
Class objc_allocateClassPair(Class superclass, const char* name, std::size_t extraBytes);
void objc_registerClassPair(Class cls);
SEL sel_registerName(const char* name);
const char* sel_getName(SEL sel);
Class object_getClass(id object);
Ivar object_getInstanceVariable(id object, const char* name, void** outValue);
const char* class_getName(Class cls);
Class class_getSuperclass(Class cls);
BOOL class_respondsToSelector(Class cls, SEL sel);
BOOL class_addMethod(Class cls, SEL name, IMP imp, const char* types);
BOOL class_addIvar(Class cls, const char* name, std::size_t size, std::uint8_t alignment, const char* types);
Ivar class_getInstanceVariable(Class cls, const char* name);
std::ptrdiff_t ivar_getOffset(Ivar ivar);
}

#define YES ((BOOL)1)
#define NO ((BOOL)0)
#define nil nullptr
#define Nil nullptr
