// The host's own toggles: their identifiers, and drawing their glyphs. Each has its
// class in a file of its own; their state is the base class's.

#include "platform/objc/Message.h"
#include "platform/uikit/UIGraphics.h"
#include "platform/controlcenter/Classes.h"

namespace controlcenter::detail {

namespace {
constexpr double kGlyphSide = 32;
}  // namespace

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

id opaqueColor(double red, double green, double blue) {
  using namespace objc::literals;
  return objc::send<id(double, double, double, double)>(objc::getClass("UIColor"), "colorWithRed:green:blue:alpha:"_sel, red,
                                                        green, blue, 1.0);
}

const std::vector<HostModule>& hostModules() {
  static const std::vector<HostModule> modules = {
      {"com.apple.control-center.DoNotDisturbModule", "CCUIDoNotDisturbModule"},
      {"com.apple.control-center.OrientationLockModule", "CCUIOrientationLockModule"},
  };
  return modules;
}

}  // namespace controlcenter::detail
