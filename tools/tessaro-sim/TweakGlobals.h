#pragma once
// The loaded tweak's file-scope globals, found as a debugger finds them: the library's ELF
// symbol table (.symtab; the dynamic table holds only what the tweak exports, which is
// refreshPrefs alone) gives a global's offset in the library, and the dynamic loader the
// address the library was loaded at. The simulator reads them to show what the tweak holds
// (its last pose, its smoothed acceleration, its settings dictionary `prefs`) and never
// writes through them.
//
// Fails with a reason, never in silence: no tweak library loaded in this process, a symbol
// table stripped from the library, no global of that name. The table is read once, on the
// first successful lookup; the tweak is never unloaded.

#include "platform/plist/PropertyList.h"

#include <optional>
#include <string>
#include <string_view>

namespace sim {

// The address of the loaded tweak's global `symbol` (its name in the symbol table: a global
// at namespace scope is not mangled), or null with `why` filled in.
const void* tweakGlobal(std::string_view symbol, std::string& why);

template <class T>
const T* tweakGlobalAs(std::string_view symbol, std::string& why) {
  return static_cast<const T*>(tweakGlobal(symbol, why));
}

// The tweak's settings dictionary `prefs` as it holds it now, as a property-list value;
// none when it is nil (no readable settings file at the last reload). False, with `why`
// filled in, when the global cannot be read.
bool readTweakPrefs(std::optional<plist::Value>& prefs, std::string& why);

}  // namespace sim
