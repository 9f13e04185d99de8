// Images over cairo image surfaces, and drawing them.

#include "platform/coregraphics/Internals.h"

#include <algorithm>
#include <cmath>
#include <cstring>

namespace coregraphics {

namespace detail {

CGImageRef adoptSurface(cairo_surface_t* surface) { return new CGImage{surface, 1, {}}; }

}  // namespace detail

RGBA8 pixelAt(CGImageRef image, std::size_t x, std::size_t y) {
  if (image == nullptr || x >= CGImageGetWidth(image) || y >= CGImageGetHeight(image)) return {};
  cairo_surface_t* surface = image->surface;
  const unsigned char* row = cairo_image_surface_get_data(surface) + y * cairo_image_surface_get_stride(surface);
  std::uint32_t argb = 0;
  std::memcpy(&argb, row + 4 * x, sizeof argb);
  const auto a = static_cast<std::uint8_t>(argb >> 24);
  if (a == 0) return {};
  // Premultiplied in the surface; divided out here, rounding to nearest.
  auto straight = [a](std::uint32_t channel) {
    return static_cast<std::uint8_t>(std::min<std::uint32_t>(255, (channel * 255 + a / 2) / a));
  };
  return RGBA8{straight(argb >> 16 & 0xff), straight(argb >> 8 & 0xff), straight(argb & 0xff), a};
}

void setImageOrigin(CGImageRef image, std::string origin) {
  if (image != nullptr) image->origin = std::move(origin);
}

const std::string& imageOrigin(CGImageRef image) {
  static const std::string none;
  return image != nullptr ? image->origin : none;
}

void detail::noteDrawn(CGContextRef c, CGImageRef image) {
  if (image->origin.empty()) c->drewUnknownImage = true;
  else c->drawnOrigins.insert(image->origin);
}

void fillThroughMask(CGContextRef c, CGRect rect, CGImageRef mask) {
  if (!detail::drawable(c) || mask == nullptr || !std::isfinite(rect.origin.x) || !std::isfinite(rect.origin.y) ||
      !std::isfinite(rect.size.width) || !std::isfinite(rect.size.height) || rect.size.width == 0 ||
      rect.size.height == 0) {
    return;
  }
  detail::noteDrawn(c, mask);
  const CGContext::State& state = c->state();
  cairo_t* cr = c->cr;
  cairo_save(cr);
  cairo_set_source_rgba(cr, state.fill[0], state.fill[1], state.fill[2], state.fill[3] * state.alpha);
  cairo_translate(cr, rect.origin.x, rect.origin.y);
  cairo_scale(cr, rect.size.width / static_cast<double>(CGImageGetWidth(mask)),
              rect.size.height / static_cast<double>(CGImageGetHeight(mask)));
  cairo_pattern_t* pattern = cairo_pattern_create_for_surface(mask->surface);
  cairo_pattern_set_filter(pattern, CAIRO_FILTER_GOOD);
  cairo_mask(cr, pattern);
  cairo_pattern_destroy(pattern);
  cairo_restore(cr);
}

}  // namespace coregraphics

extern "C" {

CGImageRef CGImageRetain(CGImageRef image) {
  if (image != nullptr) ++image->references;
  return image;
}

void CGImageRelease(CGImageRef image) {
  if (image == nullptr || --image->references > 0) return;
  cairo_surface_destroy(image->surface);
  delete image;
}

std::size_t CGImageGetWidth(CGImageRef image) {
  return image ? static_cast<std::size_t>(cairo_image_surface_get_width(image->surface)) : 0;
}

std::size_t CGImageGetHeight(CGImageRef image) {
  return image ? static_cast<std::size_t>(cairo_image_surface_get_height(image->surface)) : 0;
}

void CGContextDrawImage(CGContextRef c, CGRect rect, CGImageRef image) {
  if (!coregraphics::detail::drawable(c) || image == nullptr) return;
  const double width = static_cast<double>(CGImageGetWidth(image));
  const double height = static_cast<double>(CGImageGetHeight(image));
  if (rect.size.width == 0 || rect.size.height == 0 || !std::isfinite(rect.size.width) ||
      !std::isfinite(rect.size.height) || !std::isfinite(rect.origin.x) || !std::isfinite(rect.origin.y)) {
    return;
  }
  coregraphics::detail::noteDrawn(c, image);
  cairo_t* cr = c->cr;
  cairo_save(cr);
  cairo_translate(cr, rect.origin.x, rect.origin.y);
  cairo_scale(cr, rect.size.width / width, rect.size.height / height);
  cairo_set_source_surface(cr, image->surface, 0, 0);
  cairo_pattern_t* pattern = cairo_get_source(cr);
  // Padding and a clip to the image keep its edges crisp when it is scaled.
  cairo_pattern_set_extend(pattern, CAIRO_EXTEND_PAD);
  cairo_pattern_set_filter(pattern, CAIRO_FILTER_GOOD);
  cairo_new_path(cr);
  cairo_rectangle(cr, 0, 0, width, height);
  cairo_clip(cr);
  cairo_paint_with_alpha(cr, c->state().alpha);
  cairo_restore(cr);
}

}  // extern "C"
