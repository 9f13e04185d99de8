// Colours: four components and a reference count.

#include "platform/coregraphics/CGColor.h"

#include "platform/coregraphics/Internals.h"

#include <algorithm>
#include <cmath>

struct CGColor {
  CGFloat components[4];
  int references = 1;
};

namespace {
CGFloat component(CGFloat value) { return std::isfinite(value) ? std::clamp(value, 0.0, 1.0) : 0.0; }
const CGFloat kNoComponents[4] = {0, 0, 0, 0};
}  // namespace

extern "C" {

CGColorRef CGColorCreateSRGB(CGFloat red, CGFloat green, CGFloat blue, CGFloat alpha) {
  return new CGColor{{component(red), component(green), component(blue), component(alpha)}};
}

CGColorRef CGColorRetain(CGColorRef color) {
  if (color != nullptr) ++color->references;
  return color;
}

void CGColorRelease(CGColorRef color) {
  if (color != nullptr && --color->references == 0) delete color;
}

const CGFloat* CGColorGetComponents(CGColorRef color) { return color ? color->components : kNoComponents; }
CGFloat CGColorGetAlpha(CGColorRef color) { return color ? color->components[3] : 0; }

bool CGColorEqualToColor(CGColorRef a, CGColorRef b) {
  if (a == b) return true;
  if (a == nullptr || b == nullptr) return false;
  return std::equal(a->components, a->components + 4, b->components);
}

void CGContextSetFillColorWithColor(CGContextRef c, CGColorRef color) {
  const CGFloat* v = CGColorGetComponents(color);
  CGContextSetRGBFillColor(c, v[0], v[1], v[2], v[3]);
}

void CGContextSetStrokeColorWithColor(CGContextRef c, CGColorRef color) {
  const CGFloat* v = CGColorGetComponents(color);
  CGContextSetRGBStrokeColor(c, v[0], v[1], v[2], v[3]);
}

}  // extern "C"
