// UIWindow: a view at the top of a hierarchy that the screen shows while it is not
// hidden, in the order of its window level. Windows are made hidden, as on the device.

#include "platform/objc/ClassBuilder.h"
#include "platform/objc/Message.h"
#include "platform/uikit/Classes.h"
#include "platform/uikit/UIKit.h"

#include <algorithm>

namespace uikit {
namespace {

using namespace objc::literals;
using objc::send;

struct WindowState {
  double level = 0;
};

// Every window made, in the order made; windows live as long as the host.
std::vector<objc::Ref>& windows() {
  static auto* made = new std::vector<objc::Ref>();
  return *made;
}

id initWithFrame(id self, SEL sel, CGRect frame) {
  self = objc::sendSuper<id(CGRect)>(self, objc::getClass("UIWindow"), sel, frame);
  send<void(BOOL)>(self, "setHidden:"_sel, YES);
  windows().emplace_back(self);
  return self;
}

double windowLevel(id self, SEL) { return objc::stateOf<WindowState>(self).level; }
void setWindowLevel(id self, SEL, double level) { objc::stateOf<WindowState>(self).level = level; }
void makeKeyAndVisible(id self, SEL) { send<void(BOOL)>(self, "setHidden:"_sel, NO); }

}  // namespace

std::vector<id> visibleWindows() {
  std::vector<id> shown;
  for (const objc::Ref& window : windows()) {
    if (!send<BOOL()>(window.get(), "isHidden"_sel)) shown.push_back(window);
  }
  std::stable_sort(shown.begin(), shown.end(),
                   [](id a, id b) { return objc::stateOf<WindowState>(a).level < objc::stateOf<WindowState>(b).level; });
  return shown;
}

void detail::registerUIWindow() {
  objc::ClassBuilder("UIWindow", "UIView")
      .state<WindowState>()
      .method("initWithFrame:"_sel, &initWithFrame)
      .method("windowLevel"_sel, &windowLevel)
      .method("setWindowLevel:"_sel, &setWindowLevel)
      .method("makeKeyAndVisible"_sel, &makeKeyAndVisible)
      .build();
}

}  // namespace uikit
