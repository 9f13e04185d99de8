#pragma once
// The principal class of the Control Center module, TessaroModule, a CCUIToggleModule. It
// is defined with the runtime when the bundle's executable is loaded, with one instance
// variable, `_selected`, and its methods in this order: moduleName, prefs, CorvelPrefs,
// toggleImage:, iconGlyph, selectedIconGlyph, selectedColor, isSelected, setSelected:.
// Its state is Tessaro's master switch: switching it posts a system-wide notification that
// the tweak answers by writing the setting.

#include "platform/objc/Runtime.h"

namespace module {

// The class, once defined; Nil in a host without CCUIToggleModule.
Class tessaroModuleClass();

// "TessaroModule", whatever the settings say.
id moduleName(id self, SEL _cmd);
// The tweak's settings file, and the styling file (only when it exists), each read into a
// fresh mutable dictionary at every call; empty when there is nothing to read.
id prefs(id self, SEL _cmd);
id CorvelPrefs(id self, SEL _cmd);

id toggleImage(id self, SEL _cmd, id image);
id iconGlyph(id self, SEL _cmd);
id selectedIconGlyph(id self, SEL _cmd);
id selectedColor(id self, SEL _cmd);

BOOL isSelected(id self, SEL _cmd);
void setSelected(id self, SEL _cmd, BOOL selected);

// A flag of a settings dictionary: set only when the key is there and its value's
// boolValue is YES. A value without boolValue (an array, say) reads as not set.
bool flag(id dictionary, id key);

}  // namespace module
