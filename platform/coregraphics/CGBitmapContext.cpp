// Bitmap contexts: a cairo context on an image surface of its own.

#include "platform/coregraphics/CGBitmapContext.h"

#include "platform/coregraphics/Internals.h"

#include <climits>
#include <cstring>

namespace coregraphics {

CGContextRef createBitmapContext(std::size_t widthPixels, std::size_t heightPixels, bool opaque) {
  if (widthPixels == 0 || heightPixels == 0 || widthPixels > kMaxBitmapSide || heightPixels > kMaxBitmapSide ||
      widthPixels * heightPixels > kMaxBitmapPixels) {
    return nullptr;
  }
  cairo_surface_t* surface = detail::newSurface(static_cast<int>(widthPixels), static_cast<int>(heightPixels));
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
  cairo_surface_t* copy = coregraphics::detail::newSurface(width, height);
  // The same format and stride: the bytes are copied as they are. (Painting one surface
  // onto the other takes cairo's general path, many times slower.)
  cairo_surface_flush(copy);
  const int stride = cairo_image_surface_get_stride(c->surface);
  if (stride == cairo_image_surface_get_stride(copy)) {
    std::memcpy(cairo_image_surface_get_data(copy), cairo_image_surface_get_data(c->surface),
                static_cast<std::size_t>(stride) * static_cast<std::size_t>(height));
  }
  cairo_surface_mark_dirty(copy);
  CGImageRef image = coregraphics::detail::adoptSurface(copy);
  if (c->drawnOrigins.size() == 1 && !c->drewUnknownImage) image->origin = *c->drawnOrigins.begin();
  return image;
}

}  // extern "C"
