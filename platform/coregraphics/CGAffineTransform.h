#pragma once
// CoreGraphics' affine transforms, as a library compiles against them:
//   x' = a·x + c·y + tx,  y' = b·x + d·y + ty.
// A view's transform is applied about its centre by UIKit, not here: these are the plain
// matrices. The functions and the identity are CoreGraphics' exported ones (point
// application is inline, as on the device). Plain values; nothing here can fail.

#include "platform/coregraphics/CGGeometry.h"

struct CGAffineTransform {
  CGFloat a, b, c, d, tx, ty;
  static constexpr const char* objcEncoding = "{CGAffineTransform=dddddd}";
};

extern "C" {
extern const CGAffineTransform CGAffineTransformIdentity;

CGAffineTransform CGAffineTransformMake(CGFloat a, CGFloat b, CGFloat c, CGFloat d, CGFloat tx, CGFloat ty);
CGAffineTransform CGAffineTransformMakeScale(CGFloat sx, CGFloat sy);
CGAffineTransform CGAffineTransformMakeTranslation(CGFloat tx, CGFloat ty);
// Positive angles turn from the x axis toward the y axis: clockwise on a y-down screen.
CGAffineTransform CGAffineTransformMakeRotation(CGFloat angle);
// `t1` first, then `t2`.
CGAffineTransform CGAffineTransformConcat(CGAffineTransform t1, CGAffineTransform t2);
CGAffineTransform CGAffineTransformScale(CGAffineTransform t, CGFloat sx, CGFloat sy);
CGAffineTransform CGAffineTransformRotate(CGAffineTransform t, CGFloat angle);
CGAffineTransform CGAffineTransformTranslate(CGAffineTransform t, CGFloat tx, CGFloat ty);
bool CGAffineTransformEqualToTransform(CGAffineTransform t1, CGAffineTransform t2);
bool CGAffineTransformIsIdentity(CGAffineTransform t);
}

inline CGPoint CGPointApplyAffineTransform(CGPoint p, CGAffineTransform t) {
  return CGPoint{t.a * p.x + t.c * p.y + t.tx, t.b * p.x + t.d * p.y + t.ty};
}
