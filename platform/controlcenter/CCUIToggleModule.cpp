// CCUIToggleModule: the base class of every toggle. It keeps the on/off state, makes its
// view controller on first use, and answers no glyphs and the device's blue; subclasses
// give their own.

#include "platform/core/HostCall.h"
#include "platform/core/HostClasses.h"
#include "platform/foundation/Foundation.h"
#include "platform/objc/ClassBuilder.h"
#include "platform/objc/Message.h"
#include "platform/controlcenter/Classes.h"

namespace controlcenter::detail {
namespace {

using namespace objc::literals;
using objc::send;

struct ModuleState {
  bool selected = false;
  objc::Ref context;
  objc::Ref contentViewController;
};

ModuleState& moduleOf(id self) { return objc::stateOf<ModuleState>(self); }

BOOL isSelected(id self, SEL) { return moduleOf(self).selected ? YES : NO; }
void setSelected(id self, SEL sel, BOOL selected) {
  core::recordHostCall(self, sel, selected ? "YES" : "NO", {{"selected", selected == YES}});
  moduleOf(self).selected = selected != NO;
  send<void()>(self, "refreshState"_sel);
}

// Re-reads the state into the toggle's view.
void refreshState(id self, SEL) { objc::sendIfImplemented<void()>(send<id()>(self, "contentViewController"_sel), "refreshState"_sel); }

id contentViewController(id self, SEL) {
  ModuleState& state = moduleOf(self);
  if (!state.contentViewController) {
    state.contentViewController = objc::Ref::adopt(send<id()>(objc::getClass("CCUIToggleViewController"), "new"_sel));
    send<void(id)>(state.contentViewController.get(), "setModule:"_sel, self);
  }
  return state.contentViewController;
}

id contentModuleContext(id self, SEL) { return moduleOf(self).context; }
void setContentModuleContext(id self, SEL, id context) { moduleOf(self).context = objc::Ref(context); }
id noGlyph(id, SEL) { return nil; }
id selectedColor(id, SEL) {
  return send<id(double, double, double, double)>(objc::getClass("UIColor"), "colorWithRed:green:blue:alpha:"_sel, 0.0,
                                                  122 / 255.0, 1.0, 1.0);
}

}  // namespace

id makeModule(Class cls, const std::string& identifier) {
  id module = send<id()>(cls, "new"_sel);
  objc::Ref context = objc::Ref::adopt(send<id(id)>(send<id()>(objc::getClass("CCUIContentModuleContext"), "alloc"_sel),
                                                    "initWithModuleIdentifier:"_sel,
                                                    foundation::makeString(identifier).get()));
  send<void(id)>(module, "setContentModuleContext:"_sel, context.get());
  return module;
}

void registerCCUIToggleModule() {
  core::defineHostClass("CCUIToggleModule", [](objc::ClassBuilder& c) {
    c.state<ModuleState>()
        .method("isSelected"_sel, &isSelected)
        .method("setSelected:"_sel, &setSelected)
        .method("refreshState"_sel, &refreshState)
        .method("contentViewController"_sel, &contentViewController)
        .method("contentModuleContext"_sel, &contentModuleContext)
        .method("setContentModuleContext:"_sel, &setContentModuleContext)
        .method("iconGlyph"_sel, &noGlyph)
        .method("selectedIconGlyph"_sel, &noGlyph)
        .method("selectedColor"_sel, &selectedColor);
  });
}

}  // namespace controlcenter::detail
