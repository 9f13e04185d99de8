// The drawing functions of CGContext.h over cairo.

#include "platform/coregraphics/CGColor.h"
#include "platform/coregraphics/Internals.h"

#include <algorithm>
#include <cmath>
#include <initializer_list>
#include <numbers>

namespace coregraphics::detail {

bool drawable(CGContextRef c) { return c != nullptr && !c->state().singular; }

}  // namespace coregraphics::detail

namespace {

using coregraphics::detail::drawable;

bool finite(std::initializer_list<CGFloat> values) {
  for (CGFloat v : values) {
    if (!std::isfinite(v)) return false;
  }
  return true;
}

void setColor(double (&slot)[4], CGFloat r, CGFloat g, CGFloat b, CGFloat a) {
  const CGFloat given[4] = {r, g, b, a};
  for (int i = 0; i < 4; ++i) slot[i] = std::isfinite(given[i]) ? std::clamp(given[i], 0.0, 1.0) : 0.0;
}

void useColor(CGContextRef c, const double (&color)[4]) {
  cairo_set_source_rgba(c->cr, color[0], color[1], color[2], color[3] * c->state().alpha);
}

// Applies `m` when it has an inverse; otherwise the state draws nothing from now on.
void concat(CGContextRef c, const cairo_matrix_t& m) {
  const double determinant = m.xx * m.yy - m.xy * m.yx;
  if (!finite({m.xx, m.yx, m.xy, m.yy, m.x0, m.y0}) || determinant == 0 || !std::isfinite(1 / determinant)) {
    c->state().singular = true;
    cairo_new_path(c->cr);
    return;
  }
  cairo_transform(c->cr, &m);
}

}  // namespace

extern "C" {

void CGContextSaveGState(CGContextRef c) {
  if (c == nullptr) return;
  cairo_save(c->cr);
  c->states.push_back(c->state());
}

void CGContextRestoreGState(CGContextRef c) {
  // A restore without its save, or past an open transparency layer, is ignored.
  if (c == nullptr || c->states.size() <= 1) return;
  if (!c->layers.empty() && c->states.size() <= c->layers.back().depth) return;
  cairo_restore(c->cr);
  c->states.pop_back();
}

void CGContextTranslateCTM(CGContextRef c, CGFloat tx, CGFloat ty) {
  if (!drawable(c) || !finite({tx, ty})) return;
  cairo_translate(c->cr, tx, ty);
}

void CGContextScaleCTM(CGContextRef c, CGFloat sx, CGFloat sy) {
  if (!drawable(c)) return;
  cairo_matrix_t m;
  cairo_matrix_init_scale(&m, sx, sy);
  concat(c, m);
}

void CGContextRotateCTM(CGContextRef c, CGFloat angle) {
  if (!drawable(c) || !finite({angle})) return;
  cairo_rotate(c->cr, angle);
}

void CGContextConcatCTM(CGContextRef c, CGAffineTransform t) {
  if (!drawable(c)) return;
  cairo_matrix_t m;
  cairo_matrix_init(&m, t.a, t.b, t.c, t.d, t.tx, t.ty);
  concat(c, m);
}

CGAffineTransform CGContextGetCTM(CGContextRef c) {
  if (c == nullptr) return CGAffineTransformIdentity;
  cairo_matrix_t m;
  cairo_get_matrix(c->cr, &m);
  return CGAffineTransform{m.xx, m.yx, m.xy, m.yy, m.x0, m.y0};
}

void CGContextSetAlpha(CGContextRef c, CGFloat alpha) {
  if (c == nullptr) return;
  c->state().alpha = std::isfinite(alpha) ? std::clamp(alpha, 0.0, 1.0) : 0.0;
}

void CGContextSetRGBFillColor(CGContextRef c, CGFloat r, CGFloat g, CGFloat b, CGFloat a) {
  if (c != nullptr) setColor(c->state().fill, r, g, b, a);
}

void CGContextSetRGBStrokeColor(CGContextRef c, CGFloat r, CGFloat g, CGFloat b, CGFloat a) {
  if (c != nullptr) setColor(c->state().stroke, r, g, b, a);
}

void CGContextSetLineWidth(CGContextRef c, CGFloat width) {
  if (c != nullptr && finite({width}) && width >= 0) cairo_set_line_width(c->cr, width);
}

void CGContextBeginPath(CGContextRef c) {
  if (c != nullptr) cairo_new_path(c->cr);
}

void CGContextMoveToPoint(CGContextRef c, CGFloat x, CGFloat y) {
  if (drawable(c) && finite({x, y})) cairo_move_to(c->cr, x, y);
}

void CGContextAddLineToPoint(CGContextRef c, CGFloat x, CGFloat y) {
  if (drawable(c) && finite({x, y})) cairo_line_to(c->cr, x, y);
}

void CGContextAddCurveToPoint(CGContextRef c, CGFloat cp1x, CGFloat cp1y, CGFloat cp2x, CGFloat cp2y, CGFloat x,
                              CGFloat y) {
  if (drawable(c) && finite({cp1x, cp1y, cp2x, cp2y, x, y})) cairo_curve_to(c->cr, cp1x, cp1y, cp2x, cp2y, x, y);
}

void CGContextAddArc(CGContextRef c, CGFloat x, CGFloat y, CGFloat radius, CGFloat startAngle, CGFloat endAngle,
                     int clockwise) {
  if (!drawable(c) || !finite({x, y, radius, startAngle, endAngle}) || radius < 0) return;
  // cairo's increasing angles already turn clockwise on a y-down surface.
  if (clockwise) {
    cairo_arc(c->cr, x, y, radius, startAngle, endAngle);
  } else {
    cairo_arc_negative(c->cr, x, y, radius, startAngle, endAngle);
  }
}

void CGContextAddRect(CGContextRef c, CGRect r) {
  if (drawable(c) && finite({r.origin.x, r.origin.y, r.size.width, r.size.height})) {
    cairo_rectangle(c->cr, r.origin.x, r.origin.y, r.size.width, r.size.height);
  }
}

void CGContextAddEllipseInRect(CGContextRef c, CGRect r) {
  if (!drawable(c) || !finite({r.origin.x, r.origin.y, r.size.width, r.size.height})) return;
  if (r.size.width == 0 || r.size.height == 0) return;
  cairo_save(c->cr);
  cairo_translate(c->cr, CGRectGetMidX(r), CGRectGetMidY(r));
  cairo_scale(c->cr, r.size.width / 2, r.size.height / 2);
  cairo_new_sub_path(c->cr);
  cairo_arc(c->cr, 0, 0, 1, 0, 2 * std::numbers::pi);
  cairo_close_path(c->cr);
  cairo_restore(c->cr);
}

void CGContextClosePath(CGContextRef c) {
  if (drawable(c)) cairo_close_path(c->cr);
}

void CGContextFillPath(CGContextRef c) {
  if (!drawable(c)) return CGContextBeginPath(c);
  useColor(c, c->state().fill);
  cairo_set_fill_rule(c->cr, CAIRO_FILL_RULE_WINDING);
  cairo_fill(c->cr);
}

void CGContextEOFillPath(CGContextRef c) {
  if (!drawable(c)) return CGContextBeginPath(c);
  useColor(c, c->state().fill);
  cairo_set_fill_rule(c->cr, CAIRO_FILL_RULE_EVEN_ODD);
  cairo_fill(c->cr);
  cairo_set_fill_rule(c->cr, CAIRO_FILL_RULE_WINDING);
}

void CGContextStrokePath(CGContextRef c) {
  if (!drawable(c)) return CGContextBeginPath(c);
  useColor(c, c->state().stroke);
  cairo_stroke(c->cr);
}

void CGContextClip(CGContextRef c) {
  if (!drawable(c)) return CGContextBeginPath(c);
  cairo_set_fill_rule(c->cr, CAIRO_FILL_RULE_WINDING);
  cairo_clip(c->cr);
}

void CGContextEOClip(CGContextRef c) {
  if (!drawable(c)) return CGContextBeginPath(c);
  cairo_set_fill_rule(c->cr, CAIRO_FILL_RULE_EVEN_ODD);
  cairo_clip(c->cr);
  cairo_set_fill_rule(c->cr, CAIRO_FILL_RULE_WINDING);
}

void CGContextFillRect(CGContextRef c, CGRect rect) {
  CGContextBeginPath(c);
  CGContextAddRect(c, rect);
  CGContextFillPath(c);
}

void CGContextStrokeRect(CGContextRef c, CGRect rect) {
  CGContextBeginPath(c);
  CGContextAddRect(c, rect);
  CGContextStrokePath(c);
}

void CGContextFillEllipseInRect(CGContextRef c, CGRect rect) {
  CGContextBeginPath(c);
  CGContextAddEllipseInRect(c, rect);
  CGContextFillPath(c);
}

void CGContextClearRect(CGContextRef c, CGRect rect) {
  if (!drawable(c)) return;
  cairo_save(c->cr);
  cairo_new_path(c->cr);
  CGContextAddRect(c, rect);
  cairo_set_operator(c->cr, CAIRO_OPERATOR_CLEAR);
  cairo_fill(c->cr);
  cairo_restore(c->cr);
}

void CGContextClipToRect(CGContextRef c, CGRect rect) {
  CGContextBeginPath(c);
  CGContextAddRect(c, rect);
  CGContextClip(c);
}

void CGContextBeginTransparencyLayer(CGContextRef c, const void*) {
  if (c == nullptr) return;
  CGContextSaveGState(c);
  c->layers.push_back({c->state().alpha, c->states.size()});
  c->state().alpha = 1;
  cairo_push_group(c->cr);
}

void CGContextEndTransparencyLayer(CGContextRef c) {
  if (c == nullptr || c->layers.empty()) return;
  const CGContext::Layer layer = c->layers.back();
  // States saved inside the layer and never restored end with it.
  while (c->states.size() > layer.depth) {
    cairo_restore(c->cr);
    c->states.pop_back();
  }
  c->layers.pop_back();
  cairo_pop_group_to_source(c->cr);
  const bool show = !c->state().singular;
  if (show) cairo_paint_with_alpha(c->cr, layer.alpha);
  cairo_set_source_rgba(c->cr, 0, 0, 0, 0);
  CGContextRestoreGState(c);
}

}  // extern "C"
