// What SpringBoard shows: the home screen (wallpaper, a page of icons, the dock) in a
// window always there, and the lock screen in a window above it, shown while the lock
// screen is up. The pictures are plain shapes: there is no text on this device.

#include "platform/core/HostClasses.h"
#include "platform/objc/ClassBuilder.h"
#include "platform/objc/Message.h"
#include "platform/springboard/Classes.h"
#include "platform/springboard/SpringBoard.h"
#include "platform/uikit/UIGraphics.h"
#include "platform/uikit/UIKit.h"

#include <numbers>

namespace springboard::detail {
namespace {

using namespace objc::literals;
using objc::send;

constexpr double kIcon = 60;
constexpr double kIconRadius = 13.5;
constexpr int kColumns = 4, kRows = 5;

id rgb(double r, double g, double b, double a = 1) {
  return send<id(double, double, double, double)>(objc::getClass("UIColor"), "colorWithRed:green:blue:alpha:"_sel, r, g, b, a);
}

id add(id parent, const char* cls, CGRect frame, id color, double radius = 0) {
  id view = send<id(CGRect)>(send<id()>(objc::getClass(cls), "alloc"_sel), "initWithFrame:"_sel, frame);
  send<void(id)>(view, "setBackgroundColor:"_sel, color);
  if (radius > 0) send<void(CGFloat)>(view, "_setContinuousCornerRadius:"_sel, radius);
  send<void(id)>(parent, "addSubview:"_sel, view);
  objc::release(view);
  return view;
}

id window(double level) {
  id made = send<id(CGRect)>(send<id()>(objc::getClass("UIWindow"), "alloc"_sel), "initWithFrame:"_sel,
                             CGRect{CGPointZero, uikit::screenSize()});
  send<void(double)>(made, "setWindowLevel:"_sel, level);
  send<void()>(made, "makeKeyAndVisible"_sel);
  objc::release(made);  // the screen's list of windows keeps it
  return made;
}

id homeWindow = nil;

void homeScreen() {
  const CGSize screen = uikit::screenSize();
  id home = window(0);
  homeWindow = home;
  id root = add(home, "SBRootFolderView", CGRect{CGPointZero, screen}, rgb(0.07, 0.25, 0.37));
  setRootFolderView(root);
  static const double palette[][3] = {{0.98, 0.36, 0.33}, {1.0, 0.62, 0.2},  {0.98, 0.82, 0.24}, {0.3, 0.8, 0.45},
                                      {0.2, 0.67, 0.95},  {0.36, 0.42, 0.9}, {0.7, 0.42, 0.88},  {0.92, 0.92, 0.94}};
  const double gap = (screen.width - kColumns * kIcon) / (kColumns + 1);
  int n = 0;
  for (int row = 0; row < kRows; ++row) {
    for (int column = 0; column < kColumns; ++column, ++n) {
      const double* c = palette[(n * 3) % 8];
      add(root, "UIView", CGRectMake(gap + column * (kIcon + gap), 40 + row * 88, kIcon, kIcon), rgb(c[0], c[1], c[2]),
          kIconRadius);
    }
  }
  id dock = add(root, "UIView", CGRectMake(8, screen.height - 96, screen.width - 16, 88), rgb(1, 1, 1, 0.28), 22);
  for (int column = 0; column < kColumns; ++column) {
    const double* c = palette[(column * 5 + 1) % 8];
    add(dock, "UIView", CGRectMake(gap - 8 + column * (kIcon + gap), 14, kIcon, kIcon), rgb(c[0], c[1], c[2]), kIconRadius);
  }
}

void padlock(CGContextRef c) {
  CGContextSetRGBFillColor(c, 1, 1, 1, 1);
  CGContextSetRGBStrokeColor(c, 1, 1, 1, 1);
  CGContextFillRect(c, CGRectMake(4, 13, 20, 15));
  CGContextSetLineWidth(c, 3);
  CGContextBeginPath(c);
  CGContextMoveToPoint(c, 8, 13);
  CGContextAddArc(c, 14, 9, 6, std::numbers::pi, 2 * std::numbers::pi, 1);
  CGContextAddLineToPoint(c, 20, 13);
  CGContextStrokePath(c);
}

void lockScreen() {
  const CGSize screen = uikit::screenSize();
  id lock = send<id(CGRect)>(send<id()>(objc::getClass("SBCoverSheetWindow"), "alloc"_sel), "initWithFrame:"_sel,
                             CGRect{CGPointZero, screen});
  send<void(double)>(lock, "setWindowLevel:"_sel, 1000.0);
  send<void()>(lock, "makeKeyAndVisible"_sel);
  objc::release(lock);
  id wallpaper = add(lock, "UIView", CGRect{CGPointZero, screen}, rgb(0.05, 0.07, 0.15));
  UIGraphicsBeginImageContextWithOptions(CGSizeMake(28, 30), NO, 0);
  padlock(UIGraphicsGetCurrentContext());
  id glyph = UIGraphicsGetImageFromCurrentImageContext();
  UIGraphicsEndImageContext();
  id image = send<id(id)>(send<id()>(objc::getClass("UIImageView"), "alloc"_sel), "initWithImage:"_sel, glyph);
  send<void(CGPoint)>(image, "setCenter:"_sel, CGPointMake(screen.width / 2, 48));
  send<void(id)>(wallpaper, "addSubview:"_sel, image);
  objc::release(image);
  // Where the time would be, and the notice to press home.
  add(wallpaper, "UIView", CGRectMake(screen.width / 2 - 90, 90, 180, 64), rgb(1, 1, 1, 0.16), 12);
  add(wallpaper, "UIView", CGRectMake(screen.width / 2 - 60, screen.height - 40, 120, 6), rgb(1, 1, 1, 0.7), 3);
}

// Shown exactly while the lock screen is up, whatever it was told.
BOOL coverSheetIsHidden(id, SEL) { return state().lockScreenUp ? NO : YES; }

}  // namespace

void registerSBCoverSheetWindow() {
  core::defineHostClass("SBCoverSheetWindow", [](objc::ClassBuilder& c) { c.method("isHidden"_sel, &coverSheetIsHidden); },
                        "UIWindow");
}

void makeScreens() {
  if (objc::getClass("SBRootFolderView") == Nil) {
    objc::ClassBuilder("SBRootFolderView", "UIView").build();
  }
  homeScreen();
  if (objc::getClass("SBCoverSheetWindow") != Nil) lockScreen();
}

}  // namespace springboard::detail

namespace springboard {
id homeScreenWindow() { return detail::homeWindow; }
}  // namespace springboard
