// CCUIModularControlCenterOverlayViewController: Control Center's sheet. Its view dims
// what lies below and holds the module platters: two large ones on top, then a row of
// toggles, four a row, each toggle's view over a platter of its own. Beginning the
// presentation loads each toggle's view (once per controller), places it and refreshes
// it, then shows the window.

#include "platform/core/EventLog.h"
#include "platform/core/HostCall.h"
#include "platform/core/HostClasses.h"
#include "platform/objc/Block.h"
#include "platform/objc/ClassBuilder.h"
#include "platform/objc/Message.h"
#include "platform/uikit/UIKit.h"
#include "platform/controlcenter/Classes.h"

namespace controlcenter::detail {
namespace {

using namespace objc::literals;
using objc::send;
using core::recordHostCall;

constexpr double kGap = 16;
constexpr double kTop = 96;
constexpr double kLargeSide = 2 * kToggleSide + kGap;
constexpr int kColumns = 4;

id color(double white, double alpha) {
  return send<id(double, double)>(objc::getClass("UIColor"), "colorWithWhite:alpha:"_sel, white, alpha);
}

id makeView(CGRect frame) {
  return objc::autorelease(send<id(CGRect)>(send<id()>(objc::getClass("UIView"), "alloc"_sel), "initWithFrame:"_sel, frame));
}

// A module's dark, translucent backing.
id platter(id parent, CGRect frame) {
  id view = makeView(frame);
  send<void(id)>(view, "setBackgroundColor:"_sel, color(0.13, 0.9));
  send<void(CGFloat)>(view, "_setContinuousCornerRadius:"_sel, kToggleRadius);
  send<void(id)>(parent, "addSubview:"_sel, view);
  return view;
}

double left() { return (uikit::screenSize().width - (kColumns * kToggleSide + (kColumns - 1) * kGap)) / 2; }

CGRect toggleFrame(std::size_t index) {
  const double x = left() + static_cast<double>(index % kColumns) * (kToggleSide + kGap);
  const double y = kTop + kLargeSide + kGap + static_cast<double>(index / kColumns) * (kToggleSide + kGap);
  return CGRectMake(x, y, kToggleSide, kToggleSide);
}

void loadView(id self, SEL) {
  id view = makeView(CGRect{CGPointZero, uikit::screenSize()});
  send<void(id)>(view, "setBackgroundColor:"_sel, color(0, 0.72));
  platter(view, CGRectMake(left(), kTop, kLargeSide, kLargeSide));
  platter(view, CGRectMake(left() + kLargeSide + kGap, kTop, kLargeSide, kLargeSide));
  for (std::size_t i = 0; i < registry().size(); ++i) platter(view, toggleFrame(i));
  send<void(id)>(self, "setView:"_sel, view);
}

void beginPresentation(id self, SEL sel, BOOL animated, BOOL interactive) {
  recordHostCall(self, sel, "", {{"animated", animated == YES}, {"interactive", interactive == YES}});
  id sheet = send<id()>(self, "view"_sel);
  for (std::size_t i = 0; i < registry().size(); ++i) {
    id controller = send<id()>(registry()[i].module.get(), "contentViewController"_sel);
    id toggle = send<id()>(controller, "view"_sel);
    if (send<id()>(toggle, "superview"_sel) == nil) {
      send<void(id)>(sheet, "addSubview:"_sel, toggle);
      const CGRect slot = toggleFrame(i);
      send<void(CGPoint)>(toggle, "setCenter:"_sel, CGPointMake(CGRectGetMidX(slot), CGRectGetMidY(slot)));
    }
    objc::sendIfImplemented<void()>(controller, "refreshState"_sel);
  }
  if (send<id()>(sheet, "superview"_sel) == nil) send<void(id)>(window(), "addSubview:"_sel, sheet);
  send<void()>(window(), "makeKeyAndVisible"_sel);
  setPresented(true);
}

void presentAnimated(id self, SEL, BOOL animated, id completion) {
  objc::sendIfImplemented<void(BOOL, BOOL)>(self, "_beginPresentationAnimated:interactive:"_sel, animated, NO);
  core::record("controlCenter", "presented", {{"presented", true}});
  objc::callBlock<void()>(completion);
}

void dismissAnimated(id self, SEL sel, BOOL, id completion) {
  recordHostCall(self, sel);
  send<void(BOOL)>(window(), "setHidden:"_sel, YES);
  setPresented(false);
  core::record("controlCenter", "dismissed", {{"presented", false}});
  objc::callBlock<void()>(completion);
}

}  // namespace

void registerCCUIModularControlCenterOverlayViewController() {
  core::defineHostClass(
      "CCUIModularControlCenterOverlayViewController",
      [](objc::ClassBuilder& c) {
        c.method("loadView"_sel, &loadView)
            .method("_beginPresentationAnimated:interactive:"_sel, &beginPresentation)
            .method("presentAnimated:completion:"_sel, &presentAnimated)
            .method("dismissAnimated:completion:"_sel, &dismissAnimated);
      },
      "UIViewController");
}

}  // namespace controlcenter::detail
