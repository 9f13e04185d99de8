// PNG for a live view's frames, through libpng: zlib's fastest level, rows unfiltered, RGB
// when every pixel is opaque (the screen always is). A frame of the 2x screen with Control
// Center open encodes in about 7 ms to some 70 kB, where cairo's writer takes about 28 ms.
// (Run-length matching only, tried first, finds no runs in 3-byte pixels: 1 MB, slower.)

#include "platform/coregraphics/Internals.h"
#include "platform/coregraphics/PNG.h"

#include <cairo.h>
#include <png.h>

#include <csetjmp>
#include <cstring>

namespace coregraphics {

namespace {

void appendBytes(png_structp png, png_bytep data, png_size_t length) {
  auto* out = static_cast<std::vector<std::uint8_t>*>(png_get_io_ptr(png));
  out->insert(out->end(), data, data + length);
}

void flushNothing(png_structp) {}

bool everyPixelOpaque(const unsigned char* data, int stride, int width, int height) {
  for (int y = 0; y < height; ++y) {
    const auto* row = reinterpret_cast<const std::uint32_t*>(data + static_cast<std::ptrdiff_t>(y) * stride);
    for (int x = 0; x < width; ++x) {
      if ((row[x] >> 24) != 0xff) return false;
    }
  }
  return true;
}

// One row of cairo's native-endian premultiplied ARGB as RGB or straight RGBA bytes.
void convertRow(const std::uint32_t* from, int width, bool opaque, std::uint8_t* to) {
  for (int x = 0; x < width; ++x) {
    const std::uint32_t pixel = from[x];
    const unsigned a = pixel >> 24;
    unsigned r = (pixel >> 16) & 0xff, g = (pixel >> 8) & 0xff, b = pixel & 0xff;
    if (!opaque && a != 0xff && a != 0) {
      r = (r * 255 + a / 2) / a;
      g = (g * 255 + a / 2) / a;
      b = (b * 255 + a / 2) / a;
    }
    *to++ = static_cast<std::uint8_t>(r);
    *to++ = static_cast<std::uint8_t>(g);
    *to++ = static_cast<std::uint8_t>(b);
    if (!opaque) *to++ = static_cast<std::uint8_t>(a);
  }
}

// One encoding's state, all of it in memory that libpng's jump back cannot clobber.
struct Encoding {
  png_structp png = nullptr;
  png_infop info = nullptr;
  const unsigned char* data = nullptr;
  int width = 0, height = 0, stride = 0;
  bool opaque = true;
  std::vector<std::uint8_t> row;
  std::vector<std::uint8_t> out;
};

// libpng reports its errors by jumping back here.
bool encode(Encoding& e) {
  if (setjmp(png_jmpbuf(e.png))) return false;
  png_set_write_fn(e.png, &e.out, &appendBytes, &flushNothing);
  png_set_compression_level(e.png, 1);
  png_set_filter(e.png, PNG_FILTER_TYPE_BASE, PNG_FILTER_NONE);
  png_set_IHDR(e.png, e.info, static_cast<png_uint_32>(e.width), static_cast<png_uint_32>(e.height), 8,
               e.opaque ? PNG_COLOR_TYPE_RGB : PNG_COLOR_TYPE_RGBA, PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_BASE,
               PNG_FILTER_TYPE_BASE);
  png_write_info(e.png, e.info);
  for (int y = 0; y < e.height; ++y) {
    convertRow(reinterpret_cast<const std::uint32_t*>(e.data + static_cast<std::ptrdiff_t>(y) * e.stride), e.width,
               e.opaque, e.row.data());
    png_write_row(e.png, e.row.data());
  }
  png_write_end(e.png, nullptr);
  return true;
}

}  // namespace

std::vector<std::uint8_t> encodePNGForSpeed(CGImageRef image) {
  if (image == nullptr || image->surface == nullptr) return {};
  cairo_surface_flush(image->surface);
  Encoding e;
  e.data = cairo_image_surface_get_data(image->surface);
  e.width = cairo_image_surface_get_width(image->surface);
  e.height = cairo_image_surface_get_height(image->surface);
  e.stride = cairo_image_surface_get_stride(image->surface);
  if (e.data == nullptr || e.width <= 0 || e.height <= 0) return {};
  e.opaque = everyPixelOpaque(e.data, e.stride, e.width, e.height);
  e.row.resize(static_cast<std::size_t>(e.width) * (e.opaque ? 3 : 4));
  e.png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
  e.info = e.png == nullptr ? nullptr : png_create_info_struct(e.png);
  const bool written = e.info != nullptr && encode(e);
  png_destroy_write_struct(&e.png, &e.info);
  if (!written) e.out.clear();
  return std::move(e.out);
}

bool samePixels(CGImageRef a, CGImageRef b) {
  if (a == nullptr || b == nullptr || a->surface == nullptr || b->surface == nullptr) return a == b;
  const int width = cairo_image_surface_get_width(a->surface);
  const int height = cairo_image_surface_get_height(a->surface);
  if (width != cairo_image_surface_get_width(b->surface) || height != cairo_image_surface_get_height(b->surface)) {
    return false;
  }
  const int strideA = cairo_image_surface_get_stride(a->surface);
  const int strideB = cairo_image_surface_get_stride(b->surface);
  const unsigned char* dataA = cairo_image_surface_get_data(a->surface);
  const unsigned char* dataB = cairo_image_surface_get_data(b->surface);
  if (dataA == nullptr || dataB == nullptr) return false;
  for (int y = 0; y < height; ++y) {
    if (std::memcmp(dataA + static_cast<std::ptrdiff_t>(y) * strideA, dataB + static_cast<std::ptrdiff_t>(y) * strideB,
                    static_cast<std::size_t>(width) * 4) != 0) {
      return false;
    }
  }
  return true;
}

}  // namespace coregraphics
