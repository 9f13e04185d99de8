// CCUIOrientationLockModule: the host's Orientation Lock toggle, a padlock in a circling
// arrow, red when on.

#include "platform/core/HostClasses.h"
#include "platform/objc/ClassBuilder.h"
#include "platform/controlcenter/Classes.h"

#include <numbers>

namespace controlcenter::detail {
namespace {

using namespace objc::literals;
constexpr double kPi = std::numbers::pi;

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

id iconGlyph(id, SEL) { return drawGlyph(&padlock); }
id selectedColor(id, SEL) { return opaqueColor(1.0, 0.23, 0.19); }

}  // namespace

void registerCCUIOrientationLockModule() {
  if (objc::getClass("CCUIToggleModule") == Nil) return;
  core::defineHostClass(
      "CCUIOrientationLockModule",
      [](objc::ClassBuilder& c) { c.method("iconGlyph"_sel, &iconGlyph).method("selectedColor"_sel, &selectedColor); },
      "CCUIToggleModule");
}

}  // namespace controlcenter::detail
