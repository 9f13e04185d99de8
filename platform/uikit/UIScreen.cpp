// UIScreen: the phone's screen, its size in points and its scale.

#include "platform/objc/ClassBuilder.h"
#include "platform/objc/Singleton.h"
#include "platform/uikit/Classes.h"
#include "platform/uikit/UIKit.h"

namespace uikit {
namespace {

using namespace objc::literals;

struct Geometry {
  CGSize points;
  double scale;
};

Geometry current{{375, 667}, 2};

id mainScreen(id cls, SEL sel) { return objc::sharedInstanceMethod<"UIScreen">(cls, sel); }
CGRect bounds(id, SEL) { return CGRect{CGPointZero, current.points}; }
CGFloat scale(id, SEL) { return current.scale; }

}  // namespace

void setMainScreen(Screen screen) {
  current = screen == Screen::FivePointFiveInch ? Geometry{{414, 736}, 3} : Geometry{{375, 667}, 2};
}

CGSize screenSize() { return current.points; }
double screenScale() { return current.scale; }

void detail::registerUIScreen() {
  objc::ClassBuilder("UIScreen", objc::rootClass())
      .classMethod("mainScreen"_sel, &mainScreen)
      .method("bounds"_sel, &bounds)
      .method("scale"_sel, &scale)
      .method("nativeScale"_sel, &scale)
      .build();
}

}  // namespace uikit
