#pragma once
// The shape of the hook table: per host class, in installation order, rows that replace a
// host method (keeping its implementation in a slot) or add a method with a declared
// encoding. The table itself is Tweak.cpp's; its tests read it through the inspectable
// build to compare each replacement's C++ type with the host method it replaces.

#include "platform/objc/Runtime.h"

#include <cstddef>
#include <initializer_list>

struct HookRow {
  const char* selector;
  void (*apply)(Class cls, SEL sel);
  const char* types;  // the implementation's C++ type, as the runtime encodes it
  bool adds;          // an added method; otherwise a replaced one
};

struct HookedClass {
  const char* name;
  std::initializer_list<HookRow> rows;
};

struct HookTableView {
  const HookedClass* classes;
  std::size_t count;
};

// The table as installed; nothing outside the library can reach it.
HookTableView hookTableForInspection();
