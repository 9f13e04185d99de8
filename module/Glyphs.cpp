// The toggle's pictures and colour: the glyphs "ON" and "OFF" of the bundle, chosen and
// scaled as the styling file says, and the colour of the on state.
//
// Where two flags must both be set, the second is read only when the first is. A scale
// factor that is missing, 0 or below, or too large to draw leaves a picture as it is; a
// glyph missing from the bundle gives none, and the host then draws none.

#include "module/TessaroModule.h"

#include "platform/coregraphics/CGAffineTransform.h"
#include "platform/coregraphics/CGContext.h"
#include "platform/coregraphics/CGGeometry.h"
#include "platform/foundation/Literals.h"
#include "platform/libcolorpicker/libcolorpicker.h"
#include "platform/objc/Message.h"
#include "platform/objc/Ref.h"
#include "platform/uikit/UIGraphics.h"


namespace module {

namespace {

using namespace objc::literals;
using namespace foundation::literals;
using objc::send;

id newView(const char* cls, CGRect frame) {
  return send<id(CGRect)>(send<id()>(objc_getClass(cls), "alloc"_sel), "initWithFrame:"_sel, frame);
}

// The glyph `name` of this module's bundle, as the screen's scale wants it; nil when the
// bundle has none.
id bundleImage(id self, id name) {
  static const Class bundleClass = objc_getClass("NSBundle");
  static const Class imageClass = objc_getClass("UIImage");
  id bundle = send<id(Class)>(bundleClass, "bundleForClass:"_sel, objc::classOf(self));
  return send<id(id, id, id)>(imageClass, "imageNamed:inBundle:compatibleWithTraitCollection:"_sel, name, bundle, nil);
}

// The scale factor to apply, or 0 for none: missing, not a number, not above 0, not finite.
double scaleFactor(id styling) {
  id value = send<id(id)>(styling, "objectForKey:"_sel, "scaleIcon"_ns);
  if (!objc::respondsTo(value, "floatValue"_sel)) return 0;
  const double s = static_cast<double>(send<float()>(value, "floatValue"_sel));
  return s > 0 && __builtin_isfinite(s) ? s : 0;
}

}  // namespace

id toggleImage(id self, SEL, id image) {
  id styling = send<id()>(self, "CorvelPrefs"_sel);
  if (image == nil || !flag(styling, "isEnabled"_ns) || !flag(styling, "isScaleIconEnabled"_ns)) return image;
  const double s = scaleFactor(styling);
  if (s == 0) return image;
  const CGSize size = send<CGSize()>(image, "size"_sel);
  const double w = size.width, h = size.height;

  // The picture at its size, scaled about its centre, which sits at (w·s / 2, h·s / 2):
  // it covers the canvas from (0, 0) to (w·s, h·s) exactly.
  objc::Ref inner = objc::Ref::adopt(newView("UIView", CGRectMake(0 - (w - w * s) / 2, 0 - (h - h * s) / 2, w, h)));
  objc::Ref picture =
      objc::Ref::adopt(send<id(id)>(send<id()>(objc_getClass("UIImageView"), "alloc"_sel), "initWithImage:"_sel, image));
  send<void(id)>(inner.get(), "addSubview:"_sel, picture.get());
  send<void(CGAffineTransform)>(inner.get(), "setTransform:"_sel, CGAffineTransformMakeScale(s, s));

  objc::Ref outer = objc::Ref::adopt(newView("UIView", CGRectMake(0, 0, w * s, h * s)));
  send<void(id)>(outer.get(), "addSubview:"_sel, inner.get());
  id layer = send<id()>(outer.get(), "layer"_sel);
  send<void(BOOL)>(layer, "setMasksToBounds:"_sel, YES);

  UIGraphicsBeginImageContextWithOptions(send<CGRect()>(outer.get(), "bounds"_sel).size, NO, 0.0);
  send<void(CGContextRef)>(layer, "renderInContext:"_sel, UIGraphicsGetCurrentContext());
  id scaled = UIGraphicsGetImageFromCurrentImageContext();
  UIGraphicsEndImageContext();
  return scaled != nil ? scaled : image;
}

id iconGlyph(id self, SEL) {
  id styling = send<id()>(self, "CorvelPrefs"_sel);
  const bool onlyOne = flag(styling, "isEnabled"_ns) && flag(styling, "isOnlyOneGlyphEnabled"_ns);
  return send<id(id)>(self, "toggleImage:"_sel, bundleImage(self, onlyOne ? "ON"_ns : "OFF"_ns));
}

id selectedIconGlyph(id self, SEL) {
  id styling = send<id()>(self, "CorvelPrefs"_sel);
  if (!flag(styling, "isEnabled"_ns) || flag(styling, "isOnlyOneGlyphEnabled"_ns)) return nil;
  return send<id(id)>(self, "toggleImage:"_sel, bundleImage(self, "ON"_ns));
}

id selectedColor(id self, SEL) {
  id styling = send<id()>(self, "CorvelPrefs"_sel);
  if (flag(styling, "isEnabled"_ns) && flag(styling, "isColoredTogglesEnabled"_ns)) {
    return send<id()>(objc_getClass("UIColor"), "whiteColor"_sel);
  }
  id color = send<id(id)>(send<id()>(self, "prefs"_sel), "objectForKey:"_sel, "bgTessaroColor"_ns);
  return LCPParseColorString(color, "#D78449"_ns);
}

}  // namespace module
