// The host's own toggles, Do Not Disturb and Orientation Lock: state in the base class,
// glyphs drawn here at the screen's scale, and their colours when on.

#include "platform/core/HostClasses.h"
#include "platform/objc/ClassBuilder.h"
#include "platform/objc/Message.h"
#include "platform/uikit/UIGraphics.h"
#include "platform/controlcenter/Classes.h"

#include <numbers>

namespace controlcenter::detail {
namespace {

using namespace objc::literals;
using objc::send;

constexpr double kGlyphSide = 32;
constexpr double kPi = std::numbers::pi;

id drawGlyph(void (*draw)(CGContextRef)) {
  UIGraphicsBeginImageContextWithOptions(CGSizeMake(kGlyphSide, kGlyphSide), NO, 0);
  CGContextRef context = UIGraphicsGetCurrentContext();
  CGContextSetRGBFillColor(context, 1, 1, 1, 1);
  CGContextSetRGBStrokeColor(context, 1, 1, 1, 1);
  draw(context);
  id image = UIGraphicsGetImageFromCurrentImageContext();
  UIGraphicsEndImageContext();
  return image;
}

// A crescent: a disc less a smaller one over its upper right.
void moon(CGContextRef c) {
  CGContextBeginPath(c);
  CGContextAddEllipseInRect(c, CGRectMake(5, 5, 22, 22));
  CGContextClip(c);
  CGContextBeginPath(c);
  CGContextAddRect(c, CGRectMake(0, 0, kGlyphSide, kGlyphSide));
  CGContextAddEllipseInRect(c, CGRectMake(11, 1, 19, 19));
  CGContextEOFillPath(c);
}

// A padlock inside a circling arrow.
void padlock(CGContextRef c) {
  CGContextSetLineWidth(c, 2.5);
  CGContextBeginPath(c);
  CGContextAddArc(c, 16, 16, 13, -0.35 * kPi, 1.45 * kPi, 1);
  CGContextStrokePath(c);
  CGContextBeginPath(c);
  CGContextMoveToPoint(c, 22, 2);
  CGContextAddLineToPoint(c, 25.5, 6.5);
  CGContextAddLineToPoint(c, 20, 7.5);
  CGContextClosePath(c);
  CGContextFillPath(c);
  CGContextFillRect(c, CGRectMake(10.5, 15, 11, 8.5));
  CGContextSetLineWidth(c, 2);
  CGContextBeginPath(c);
  CGContextMoveToPoint(c, 12.5, 15);
  CGContextAddArc(c, 16, 13, 3.5, kPi, 2 * kPi, 1);
  CGContextAddLineToPoint(c, 19.5, 15);
  CGContextStrokePath(c);
}

id moonGlyph(id, SEL) { return drawGlyph(&moon); }
id padlockGlyph(id, SEL) { return drawGlyph(&padlock); }

id rgb(double r, double g, double b) {
  return send<id(double, double, double, double)>(objc::getClass("UIColor"), "colorWithRed:green:blue:alpha:"_sel, r, g, b,
                                                  1.0);
}
id purple(id, SEL) { return rgb(0.35, 0.34, 0.84); }
id red(id, SEL) { return rgb(1.0, 0.23, 0.19); }

}  // namespace

const std::vector<HostModule>& hostModules() {
  static const std::vector<HostModule> modules = {
      {"com.apple.control-center.DoNotDisturbModule", "CCUIDoNotDisturbModule"},
      {"com.apple.control-center.OrientationLockModule", "CCUIOrientationLockModule"},
  };
  return modules;
}

void registerHostModules() {
  if (objc::getClass("CCUIToggleModule") == Nil) return;
  core::defineHostClass(
      "CCUIDoNotDisturbModule",
      [](objc::ClassBuilder& c) { c.method("iconGlyph"_sel, &moonGlyph).method("selectedColor"_sel, &purple); },
      "CCUIToggleModule");
  core::defineHostClass(
      "CCUIOrientationLockModule",
      [](objc::ClassBuilder& c) { c.method("iconGlyph"_sel, &padlockGlyph).method("selectedColor"_sel, &red); },
      "CCUIToggleModule");
}

}  // namespace controlcenter::detail
