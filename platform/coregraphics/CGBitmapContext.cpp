// Bitmap contexts: a cairo context on an image surface of its own.

#include "platform/coregraphics/CGBitmapContext.h"

#include "platform/coregraphics/Internals.h"

#include <climits>

namespace coregraphics {

CGContextRef createBitmapContext(std::size_t widthPixels, std::size_t heightPixels, bool opaque) {
  if (widthPixels == 0 || heightPixels == 0 || widthPixels > kMaxBitmapSide || heightPixels > kMaxBitmapSide ||
      widthPixels * heightPixels > kMaxBitmapPixels) {
    return nullptr;
  }
  cairo_surface_t* surface =
      cairo_image_surface_create(CAIRO_FORMAT_ARGB32, static_cast<int>(widthPixels), static_cast<int>(heightPixels));
  if (cairo_surface_status(surface) != CAIRO_STATUS_SUCCESS) {
    cairo_surface_destroy(surface);
    return nullptr;
  }
  auto* context = new CGContext();
  context->surface = surface;
  context->cr = cairo_create(surface);
  if (opaque) {
    cairo_set_source_rgb(context->cr, 0, 0, 0);
    cairo_paint(context->cr);
  }
  return context;
}

}  // namespace coregraphics

extern "C" {

void CGContextRelease(CGContextRef c) {
  if (c == nullptr) return;
  cairo_destroy(c->cr);
  cairo_surface_destroy(c->surface);
  delete c;
}

std::size_t CGBitmapContextGetWidth(CGContextRef c) {
  return c ? static_cast<std::size_t>(cairo_image_surface_get_width(c->surface)) : 0;
}

std::size_t CGBitmapContextGetHeight(CGContextRef c) {
  return c ? static_cast<std::size_t>(cairo_image_surface_get_height(c->surface)) : 0;
}

CGImageRef CGBitmapContextCreateImage(CGContextRef c) {
  if (c == nullptr) return nullptr;
  cairo_surface_flush(c->surface);
  const int width = cairo_image_surface_get_width(c->surface);
  const int height = cairo_image_surface_get_height(c->surface);
  cairo_surface_t* copy = cairo_image_surface_create(CAIRO_FORMAT_ARGB32, width, height);
  cairo_t* cr = cairo_create(copy);
  cairo_set_operator(cr, CAIRO_OPERATOR_SOURCE);
  cairo_set_source_surface(cr, c->surface, 0, 0);
  cairo_paint(cr);
  cairo_destroy(cr);
  cairo_surface_flush(copy);
  return coregraphics::detail::adoptSurface(copy);
}

}  // extern "C"
