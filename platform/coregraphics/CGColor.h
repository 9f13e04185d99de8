#pragma once
// CoreGraphics' colours: immutable, reference-counted RGBA in the sRGB space, components
// 0 to 1 (clamped when made; a non-finite component becomes 0). Create gives a reference
// the caller owns; NULL is accepted by every function and answers zeros.

#include "platform/coregraphics/CGContext.h"

using CGColorRef = struct CGColor*;

extern "C" {
CGColorRef CGColorCreateSRGB(CGFloat red, CGFloat green, CGFloat blue, CGFloat alpha);
CGColorRef CGColorRetain(CGColorRef color);
void CGColorRelease(CGColorRef color);
// Red, green, blue and alpha, not premultiplied.
const CGFloat* CGColorGetComponents(CGColorRef color);
CGFloat CGColorGetAlpha(CGColorRef color);
bool CGColorEqualToColor(CGColorRef a, CGColorRef b);

void CGContextSetFillColorWithColor(CGContextRef c, CGColorRef color);
void CGContextSetStrokeColorWithColor(CGContextRef c, CGColorRef color);
}
