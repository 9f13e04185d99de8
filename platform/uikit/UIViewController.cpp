// UIViewController: owns a view, made on first use: -view loads it (-loadView, then
// -viewDidLoad) once, and answers the same view from then on.

#include "platform/objc/ClassBuilder.h"
#include "platform/objc/Message.h"
#include "platform/uikit/Classes.h"
#include "platform/uikit/UIKit.h"

namespace uikit::detail {
namespace {

using namespace objc::literals;
using objc::send;

struct ControllerState {
  objc::Ref view;
  bool loading = false;
};

ControllerState& controllerOf(id self) { return objc::stateOf<ControllerState>(self); }

void loadView(id self, SEL) {
  id view = send<id(CGRect)>(send<id()>(objc::getClass("UIView"), "alloc"_sel), "initWithFrame:"_sel,
                             CGRect{CGPointZero, screenSize()});
  controllerOf(self).view = objc::Ref::adopt(view);
}

id view(id self, SEL) {
  ControllerState& state = controllerOf(self);
  // A -viewDidLoad that asks for the view gets it, without loading it again.
  if (!state.view && !state.loading) {
    state.loading = true;
    send<void()>(self, "loadView"_sel);
    if (!state.view) loadView(self, "loadView"_sel);
    send<void()>(self, "viewDidLoad"_sel);
    state.loading = false;
  }
  return state.view;
}

void setView(id self, SEL, id view) { controllerOf(self).view = objc::Ref(view); }
BOOL isViewLoaded(id self, SEL) { return controllerOf(self).view ? YES : NO; }
id viewIfLoaded(id self, SEL) { return controllerOf(self).view; }
void viewDidLoad(id, SEL) {}

}  // namespace

void registerUIViewController() {
  objc::ClassBuilder("UIViewController", objc::rootClass())
      .state<ControllerState>()
      .method("view"_sel, &view)
      .method("setView:"_sel, &setView)
      .method("loadView"_sel, &loadView)
      .method("viewDidLoad"_sel, &viewDidLoad)
      .method("isViewLoaded"_sel, &isViewLoaded)
      .method("viewIfLoaded"_sel, &viewIfLoaded)
      .build();
}

}  // namespace uikit::detail
