// UIColor: an immutable colour, made from RGB, HSB or white, components clamped to 0
// to 1. Two colours are equal when their components are.

#include "platform/coregraphics/CGColor.h"
#include "platform/objc/ClassBuilder.h"
#include "platform/objc/Message.h"
#include "platform/quartzcore/Encodings.h"
#include "platform/uikit/Classes.h"
#include "platform/uikit/UIKit.h"

#include <algorithm>
#include <cmath>
#include <functional>

namespace objc {
template <>
struct TypeEncoding<CGFloat*> {
  static constexpr const char* value = "^d";
};
}  // namespace objc

namespace uikit {
namespace {

using namespace objc::literals;
using objc::send;

struct ColorState {
  quartzcore::Color color;
  CGColorRef cg = nullptr;
  ColorState() = default;
  ColorState(const ColorState&) = delete;
  ColorState& operator=(const ColorState&) = delete;
  ~ColorState() { CGColorRelease(cg); }
};

ColorState& colorOf(id self) { return objc::stateOf<ColorState>(self); }

Class colorClass() {
  static const Class cls = objc::getClass("UIColor");
  return cls;
}

double unit(double value) { return std::isfinite(value) ? std::clamp(value, 0.0, 1.0) : 0.0; }

id make(Class cls, double r, double g, double b, double a) {
  id color = objc::autorelease(send<id()>(cls, "new"_sel));
  ColorState& state = colorOf(color);
  state.color = {unit(r), unit(g), unit(b), unit(a)};
  state.cg = CGColorCreateSRGB(state.color.r, state.color.g, state.color.b, state.color.a);
  return color;
}

id colorWithRGBA(id cls, SEL, CGFloat r, CGFloat g, CGFloat b, CGFloat a) {
  return make(reinterpret_cast<Class>(cls), r, g, b, a);
}

// Hue in turns (0 to 1), saturation and brightness 0 to 1.
id colorWithHSBA(id cls, SEL, CGFloat hue, CGFloat saturation, CGFloat brightness, CGFloat alpha) {
  const double h = unit(hue) * 6, s = unit(saturation), v = unit(brightness);
  const double sector = std::floor(h), f = h - sector;
  const double p = v * (1 - s), q = v * (1 - s * f), t = v * (1 - s * (1 - f));
  double r = v, g = t, b = p;
  switch (static_cast<int>(sector) % 6) {
    case 0: r = v, g = t, b = p; break;
    case 1: r = q, g = v, b = p; break;
    case 2: r = p, g = v, b = t; break;
    case 3: r = p, g = q, b = v; break;
    case 4: r = t, g = p, b = v; break;
    default: r = v, g = p, b = q; break;
  }
  return make(reinterpret_cast<Class>(cls), r, g, b, alpha);
}

id colorWithWhite(id cls, SEL, CGFloat white, CGFloat alpha) { return make(reinterpret_cast<Class>(cls), white, white, white, alpha); }
id clearColor(id cls, SEL) { return make(reinterpret_cast<Class>(cls), 0, 0, 0, 0); }
id whiteColor(id cls, SEL) { return make(reinterpret_cast<Class>(cls), 1, 1, 1, 1); }
id blackColor(id cls, SEL) { return make(reinterpret_cast<Class>(cls), 0, 0, 0, 1); }

CGColorRef cgColor(id self, SEL) { return colorOf(self).cg; }

BOOL getRGBA(id self, SEL, CGFloat* r, CGFloat* g, CGFloat* b, CGFloat* a) {
  const quartzcore::Color& c = colorOf(self).color;
  if (r) *r = c.r;
  if (g) *g = c.g;
  if (b) *b = c.b;
  if (a) *a = c.a;
  return YES;
}

id withAlpha(id self, SEL, CGFloat alpha) {
  const quartzcore::Color& c = colorOf(self).color;
  return make(objc::classOf(self), c.r, c.g, c.b, alpha);
}

BOOL isEqual(id self, SEL, id other) {
  auto theirs = colorComponents(other);
  return theirs && *theirs == colorOf(self).color ? YES : NO;
}

unsigned long hashOf(id self, SEL) {
  const quartzcore::Color& c = colorOf(self).color;
  std::size_t hash = 0;
  for (double part : {c.r, c.g, c.b, c.a}) hash = hash * 31 + std::hash<double>{}(part);
  return hash;
}

id copySelf(id self, SEL) { return objc::retain(self); }

}  // namespace

std::optional<quartzcore::Color> colorComponents(id color) {
  if (color == nil || send<BOOL(Class)>(color, "isKindOfClass:"_sel, colorClass()) != YES) return std::nullopt;
  return colorOf(color).color;
}

id makeColor(const quartzcore::Color& c) { return make(colorClass(), c.r, c.g, c.b, c.a); }

void detail::registerUIColor() {
  objc::ClassBuilder("UIColor", objc::rootClass())
      .state<ColorState>()
      .classMethod("colorWithRed:green:blue:alpha:"_sel, &colorWithRGBA)
      .classMethod("colorWithHue:saturation:brightness:alpha:"_sel, &colorWithHSBA)
      .classMethod("colorWithWhite:alpha:"_sel, &colorWithWhite)
      .classMethod("clearColor"_sel, &clearColor)
      .classMethod("whiteColor"_sel, &whiteColor)
      .classMethod("blackColor"_sel, &blackColor)
      .method("CGColor"_sel, &cgColor)
      .method("getRed:green:blue:alpha:"_sel, &getRGBA)
      .method("colorWithAlphaComponent:"_sel, &withAlpha)
      .method("isEqual:"_sel, &isEqual)
      .method("hash"_sel, &hashOf)
      .method("copy"_sel, &copySelf)
      .build();
}

}  // namespace uikit
