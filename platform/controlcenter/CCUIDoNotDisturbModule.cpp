// CCUIDoNotDisturbModule: the host's Do Not Disturb toggle, a crescent, purple when on.

#include "platform/core/HostClasses.h"
#include "platform/objc/ClassBuilder.h"
#include "platform/controlcenter/Classes.h"

namespace controlcenter::detail {
namespace {

using namespace objc::literals;

// A disc less a smaller one over its upper right.
void moon(CGContextRef c) {
  CGContextBeginPath(c);
  CGContextAddEllipseInRect(c, CGRectMake(5, 5, 22, 22));
  CGContextClip(c);
  CGContextBeginPath(c);
  CGContextAddRect(c, CGRectMake(0, 0, 32, 32));
  CGContextAddEllipseInRect(c, CGRectMake(11, 1, 19, 19));
  CGContextEOFillPath(c);
}

id iconGlyph(id, SEL) { return drawGlyph(&moon); }
id selectedColor(id, SEL) { return opaqueColor(0.35, 0.34, 0.84); }

}  // namespace

void registerCCUIDoNotDisturbModule() {
  if (objc::getClass("CCUIToggleModule") == Nil) return;
  core::defineHostClass(
      "CCUIDoNotDisturbModule",
      [](objc::ClassBuilder& c) { c.method("iconGlyph"_sel, &iconGlyph).method("selectedColor"_sel, &selectedColor); },
      "CCUIToggleModule");
}

}  // namespace controlcenter::detail
