// CCUIToggleViewController: a toggle's view and button. Its view is a square with the
// host's continuous corners; the button fills it. Refreshing reads the module: selected
// or not, the glyph (the selected one when selected and there is one, else the plain
// one), and the glyph's colour (the module's selected colour when selected, else white).

#include "platform/core/HostCall.h"
#include "platform/core/HostClasses.h"
#include "platform/objc/ClassBuilder.h"
#include "platform/objc/Message.h"
#include "platform/controlcenter/Classes.h"
#include "platform/uikit/UIKit.h"

namespace controlcenter::detail {
namespace {

using namespace objc::literals;
using objc::send;
using core::recordHostCall;

struct ControllerState {
  id module = nil;  // not retained: the module holds its controller
  objc::Ref buttonView;
  std::size_t hostRadiusSets = 0;
};

ControllerState& controllerOf(id self) { return objc::stateOf<ControllerState>(self); }

id module(id self, SEL sel) {
  id module = controllerOf(self).module;
  if (core::queriesShown()) core::recordQuery(self, sel, "", module ? objc::nameOf(objc::classOf(module)) : "nil");
  return module;
}
void setModule(id self, SEL, id module) { controllerOf(self).module = module; }
id buttonView(id self, SEL) { return controllerOf(self).buttonView; }

void loadView(id self, SEL) {
  const CGRect bounds = CGRectMake(0, 0, kToggleSide, kToggleSide);
  objc::Ref view = objc::Ref::adopt(
      send<id(CGRect)>(send<id()>(objc::getClass("UIView"), "alloc"_sel), "initWithFrame:"_sel, bounds));
  send<void(CGFloat)>(view.get(), "_setContinuousCornerRadius:"_sel, kToggleRadius);
  controllerOf(self).buttonView = objc::Ref::adopt(
      send<id(CGRect)>(send<id()>(objc::getClass("CCUIButtonModuleView"), "alloc"_sel), "initWithFrame:"_sel, bounds));
  send<void(id)>(view.get(), "addSubview:"_sel, controllerOf(self).buttonView.get());
  send<void(id)>(self, "setView:"_sel, view.get());
  controllerOf(self).hostRadiusSets = uikit::cornerRadiusSets(view.get());
}

void show(id self) {
  id module = controllerOf(self).module;
  id button = controllerOf(self).buttonView;
  const BOOL selected = send<BOOL()>(module, "isSelected"_sel);
  send<void(id)>(button, "setGlyphImage:"_sel, glyphShown(module, selected == YES));
  id color = selected ? send<id()>(module, "selectedColor"_sel) : send<id()>(objc::getClass("UIColor"), "whiteColor"_sel);
  send<void(id)>(button, "setGlyphColor:"_sel, color);
  send<void(BOOL)>(button, "setSelected:"_sel, selected);
}

void viewDidLoad(id self, SEL sel) {
  recordHostCall(self, sel);
  show(self);
}

// Before the view has loaded there is nothing to show.
void refreshState(id self, SEL sel) {
  recordHostCall(self, sel);
  if (send<BOOL()>(self, "isViewLoaded"_sel)) show(self);
}

// A tap: the module is switched to the other state, then shown.
void buttonTapped(id self, SEL sel, id) {
  recordHostCall(self, sel);
  id module = controllerOf(self).module;
  send<void(BOOL)>(module, "setSelected:"_sel, send<BOOL()>(module, "isSelected"_sel) ? NO : YES);
  send<void()>(self, "refreshState"_sel);
}

}  // namespace

id glyphShown(id module, bool selected) {
  id glyph = selected ? send<id()>(module, "selectedIconGlyph"_sel) : nil;
  return glyph != nil ? glyph : send<id()>(module, "iconGlyph"_sel);
}

std::size_t hostRadiusSets(id controller) { return controllerOf(controller).hostRadiusSets; }

void registerCCUIToggleViewController() {
  core::defineHostClass(
      "CCUIToggleViewController",
      [](objc::ClassBuilder& c) {
        c.state<ControllerState>()
            .method("module"_sel, &module)
            .method("setModule:"_sel, &setModule)
            .method("buttonView"_sel, &buttonView)
            .method("loadView"_sel, &loadView)
            .method("viewDidLoad"_sel, &viewDidLoad)
            .method("refreshState"_sel, &refreshState)
            .method("buttonTapped:"_sel, &buttonTapped);
      },
      "UIViewController");
}

}  // namespace controlcenter::detail
