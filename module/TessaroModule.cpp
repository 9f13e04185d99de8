// The class itself and its state: `_selected`, and what switching it does.

#include "module/TessaroModule.h"

#include "platform/foundation/CFNotificationCenter.h"
#include "platform/foundation/Literals.h"
#include "platform/libcolorpicker/libcolorpicker.h"
#include "platform/objc/Block.h"
#include "platform/objc/Encoding.h"
#include "platform/objc/Message.h"
#include "platform/objc/Ref.h"

#include <cstddef>

namespace module {

namespace {

using namespace objc::literals;
using namespace foundation::literals;
using objc::send;

Class definedClass = Nil;
std::ptrdiff_t selectedOffset = -1;

BOOL& selectedOf(id self) { return *reinterpret_cast<BOOL*>(reinterpret_cast<char*>(self) + selectedOffset); }

id contentView(id self) { return send<id()>(send<id()>(self, "contentViewController"_sel), "view"_sel); }

// Runs `changes` as an animation of `seconds`, whose completion does nothing.
template <class Changes>
void animate(double seconds, Changes changes) {
  static const Class view = objc_getClass("UIView");
  objc::Ref block = objc::makeBlock<void()>(static_cast<Changes&&>(changes));
  objc::Ref completion = objc::makeBlock<void(BOOL)>([](BOOL) {});
  send<void(double, id, id)>(view, "animateWithDuration:animations:completion:"_sel, seconds, block.get(), completion.get());
}

id clearColor() {
  static const Class color = objc_getClass("UIColor");
  return send<id()>(color, "clearColor"_sel);
}

// An instance method with the encoding of its implementation's C++ type.
template <auto Implementation>
void addMethod(Class cls, const char* selector) {
  class_addMethod(cls, sel_registerName(selector), objc::toImp(Implementation),
                  objc::encodingOf<decltype(Implementation)>());
}

// Defined with the runtime when the host loads the executable, under the host's
// CCUIToggleModule; Control Center then finds it by the name its Info.plist gives.
__attribute__((constructor)) void defineTessaroModule() {
  Class base = objc_getClass("CCUIToggleModule");
  if (base == Nil || objc_lookUpClass("TessaroModule") != Nil) return;
  Class cls = objc_allocateClassPair(base, "TessaroModule", 0);
  if (cls == Nil) return;
  static_assert(sizeof(BOOL) == 1, "a one-byte variable, byte-aligned (alignment 2^0)");
  class_addIvar(cls, "_selected", sizeof(BOOL), 0, objc::TypeEncoding<BOOL>::value);
  addMethod<&moduleName>(cls, "moduleName");
  addMethod<&prefs>(cls, "prefs");
  addMethod<&CorvelPrefs>(cls, "CorvelPrefs");
  addMethod<&toggleImage>(cls, "toggleImage:");
  addMethod<&iconGlyph>(cls, "iconGlyph");
  addMethod<&selectedIconGlyph>(cls, "selectedIconGlyph");
  addMethod<&selectedColor>(cls, "selectedColor");
  addMethod<&isSelected>(cls, "isSelected");
  addMethod<&setSelected>(cls, "setSelected:");
  objc_registerClassPair(cls);
  definedClass = cls;
  selectedOffset = ivar_getOffset(class_getInstanceVariable(cls, "_selected"));
}

}  // namespace

Class tessaroModuleClass() { return definedClass; }

id moduleName(id, SEL) { return "TessaroModule"_ns; }

BOOL isSelected(id self, SEL) { return selectedOf(self); }

void setSelected(id self, SEL, BOOL selected) {
  selectedOf(self) = selected;
  objc::sendSuper<void()>(self, definedClass, "refreshState"_sel);

  id styling = send<id()>(self, "CorvelPrefs"_sel);
  const double radius = flag(styling, "isRoundIconsEnabled"_ns) ? 32.0 : 19.0;
  send<void(double)>(contentView(self), "_setContinuousCornerRadius:"_sel, radius);

  // The blocks keep the module until they have run.
  objc::Ref module{self};
  if (selected && flag(styling, "isColoredTogglesEnabled"_ns)) {
    animate(0.5, [module] {
      id color = LCPParseColorString(send<id(id)>(send<id()>(module, "prefs"_sel), "objectForKey:"_sel, "bgTessaroColor"_ns),
                                     "#D78449"_ns);
      send<void(id)>(contentView(module), "setBackgroundColor:"_sel, color);
    });
  } else if (selected) {
    send<void(id)>(contentView(self), "setBackgroundColor:"_sel, clearColor());
  } else {
    animate(0.5, [module] { send<void(id)>(contentView(module), "setBackgroundColor:"_sel, clearColor()); });
  }

  CFNotificationCenterPostNotification(CFNotificationCenterGetDarwinNotifyCenter(),
                                       selected ? CFSTR("com.brel.tessaro.setEnabled") : CFSTR("com.brel.tessaro.setDisabled"),
                                       nullptr, nil, YES);
}

}  // namespace module
