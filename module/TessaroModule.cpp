// The class itself and its state: `_selected`, and what switching it does.

#include "module/TessaroModule.h"

#include "platform/foundation/CFNotificationCenter.h"
#include "platform/foundation/Literals.h"
#include "platform/libcolorpicker/libcolorpicker.h"
#include "platform/objc/Block.h"
#include "platform/objc/ClassBuilder.h"
#include "platform/objc/Message.h"
#include "platform/objc/Ref.h"

#include <functional>

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
void animate(double seconds, std::function<void()> changes) {
  static const Class view = objc_getClass("UIView");
  objc::Ref block = objc::makeBlock<void()>(std::move(changes));
  objc::Ref completion = objc::makeBlock<void(BOOL)>([](BOOL) {});
  send<void(double, id, id)>(view, "animateWithDuration:animations:completion:"_sel, seconds, block.get(), completion.get());
}

id clearColor() {
  static const Class color = objc_getClass("UIColor");
  return send<id()>(color, "clearColor"_sel);
}

// Defined when the host loads the executable, under the host's CCUIToggleModule.
__attribute__((constructor)) void defineTessaroModule() {
  Class base = objc_getClass("CCUIToggleModule");
  if (base == Nil || objc_lookUpClass("TessaroModule") != Nil) return;
  definedClass = objc::ClassBuilder("TessaroModule", base)
                     .ivar<BOOL>("_selected")
                     .method("moduleName"_sel, &moduleName)
                     .method("prefs"_sel, &prefs)
                     .method("CorvelPrefs"_sel, &CorvelPrefs)
                     .method("toggleImage:"_sel, &toggleImage)
                     .method("iconGlyph"_sel, &iconGlyph)
                     .method("selectedIconGlyph"_sel, &selectedIconGlyph)
                     .method("selectedColor"_sel, &selectedColor)
                     .method("isSelected"_sel, &isSelected)
                     .method("setSelected:"_sel, &setSelected)
                     .build();
  selectedOffset = ivar_getOffset(class_getInstanceVariable(definedClass, "_selected"));
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
