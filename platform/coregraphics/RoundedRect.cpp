// Rounded rectangles as paths: arcs for circular corners, one cubic per corner for
// continuous ones.

#include "platform/coregraphics/RoundedRect.h"

#include <algorithm>
#include <cmath>
#include <numbers>

namespace coregraphics {

namespace {

// A continuous corner leaves each edge this many radii before the corner...
constexpr CGFloat kExtent = 1.528;
// ...and its control points sit this far along the way to the corner, which puts the
// curve's middle about as far from the corner as a quarter circle's.
constexpr CGFloat kControl = 0.84;

void continuousPath(CGContextRef c, CGFloat left, CGFloat top, CGFloat right, CGFloat bottom, CGFloat radius) {
  const CGFloat reach = kExtent * radius;
  const CGFloat control = reach * (1 - kControl);
  CGContextMoveToPoint(c, left + reach, top);
  CGContextAddLineToPoint(c, right - reach, top);
  CGContextAddCurveToPoint(c, right - control, top, right, top + control, right, top + reach);
  CGContextAddLineToPoint(c, right, bottom - reach);
  CGContextAddCurveToPoint(c, right, bottom - control, right - control, bottom, right - reach, bottom);
  CGContextAddLineToPoint(c, left + reach, bottom);
  CGContextAddCurveToPoint(c, left + control, bottom, left, bottom - control, left, bottom - reach);
  CGContextAddLineToPoint(c, left, top + reach);
  CGContextAddCurveToPoint(c, left, top + control, left + control, top, left + reach, top);
  CGContextClosePath(c);
}

void circularPath(CGContextRef c, CGFloat left, CGFloat top, CGFloat right, CGFloat bottom, CGFloat radius) {
  constexpr CGFloat quarter = std::numbers::pi / 2;
  CGContextMoveToPoint(c, left + radius, top);
  CGContextAddArc(c, right - radius, top + radius, radius, -quarter, 0, 1);
  CGContextAddArc(c, right - radius, bottom - radius, radius, 0, quarter, 1);
  CGContextAddArc(c, left + radius, bottom - radius, radius, quarter, 2 * quarter, 1);
  CGContextAddArc(c, left + radius, top + radius, radius, 2 * quarter, 3 * quarter, 1);
  CGContextClosePath(c);
}

}  // namespace

void addRoundedRect(CGContextRef c, CGRect rect, CGFloat radius, bool continuous) {
  const CGFloat left = CGRectGetMinX(rect), right = CGRectGetMaxX(rect);
  const CGFloat top = CGRectGetMinY(rect), bottom = CGRectGetMaxY(rect);
  if (!std::isfinite(radius) || radius <= 0 || right <= left || bottom <= top) {
    CGContextAddRect(c, rect);
    return;
  }
  const CGFloat half = std::min(right - left, bottom - top) / 2;
  radius = std::min(radius, half);
  // A continuous corner that would not fit along the edges becomes the circular one, as
  // the device's round buttons are circles.
  if (continuous && kExtent * radius <= half) {
    continuousPath(c, left, top, right, bottom, radius);
  } else {
    circularPath(c, left, top, right, bottom, radius);
  }
}

}  // namespace coregraphics
