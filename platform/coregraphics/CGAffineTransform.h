#pragma once
// CoreGraphics' affine transforms, as a library compiles against them:
//   x' = a·x + c·y + tx,  y' = b·x + d·y + ty.
// A view's transform is applied about its centre by UIKit, not here: these are the plain
// matrices. Plain values; nothing here can fail.

#include "platform/coregraphics/CGGeometry.h"

#include <cmath>

struct CGAffineTransform {
  CGFloat a, b, c, d, tx, ty;
  static constexpr const char* objcEncoding = "{CGAffineTransform=dddddd}";
};

inline constexpr CGAffineTransform CGAffineTransformIdentity{1, 0, 0, 1, 0, 0};

inline CGAffineTransform CGAffineTransformMake(CGFloat a, CGFloat b, CGFloat c, CGFloat d, CGFloat tx, CGFloat ty) {
  return CGAffineTransform{a, b, c, d, tx, ty};
}
inline CGAffineTransform CGAffineTransformMakeScale(CGFloat sx, CGFloat sy) { return CGAffineTransform{sx, 0, 0, sy, 0, 0}; }
inline CGAffineTransform CGAffineTransformMakeTranslation(CGFloat tx, CGFloat ty) {
  return CGAffineTransform{1, 0, 0, 1, tx, ty};
}
// Positive angles turn from the x axis toward the y axis: clockwise on a y-down screen.
inline CGAffineTransform CGAffineTransformMakeRotation(CGFloat angle) {
  const CGFloat cosine = std::cos(angle), sine = std::sin(angle);
  return CGAffineTransform{cosine, sine, -sine, cosine, 0, 0};
}

// `t1` first, then `t2`.
inline CGAffineTransform CGAffineTransformConcat(CGAffineTransform t1, CGAffineTransform t2) {
  return CGAffineTransform{t1.a * t2.a + t1.b * t2.c,   t1.a * t2.b + t1.b * t2.d,
                           t1.c * t2.a + t1.d * t2.c,   t1.c * t2.b + t1.d * t2.d,
                           t1.tx * t2.a + t1.ty * t2.c + t2.tx, t1.tx * t2.b + t1.ty * t2.d + t2.ty};
}

inline CGAffineTransform CGAffineTransformScale(CGAffineTransform t, CGFloat sx, CGFloat sy) {
  return CGAffineTransformConcat(CGAffineTransformMakeScale(sx, sy), t);
}
inline CGAffineTransform CGAffineTransformRotate(CGAffineTransform t, CGFloat angle) {
  return CGAffineTransformConcat(CGAffineTransformMakeRotation(angle), t);
}
inline CGAffineTransform CGAffineTransformTranslate(CGAffineTransform t, CGFloat tx, CGFloat ty) {
  return CGAffineTransformConcat(CGAffineTransformMakeTranslation(tx, ty), t);
}

inline bool CGAffineTransformEqualToTransform(CGAffineTransform t1, CGAffineTransform t2) {
  return t1.a == t2.a && t1.b == t2.b && t1.c == t2.c && t1.d == t2.d && t1.tx == t2.tx && t1.ty == t2.ty;
}
inline bool CGAffineTransformIsIdentity(CGAffineTransform t) {
  return CGAffineTransformEqualToTransform(t, CGAffineTransformIdentity);
}

inline CGPoint CGPointApplyAffineTransform(CGPoint p, CGAffineTransform t) {
  return CGPoint{t.a * p.x + t.c * p.y + t.tx, t.b * p.x + t.d * p.y + t.ty};
}
