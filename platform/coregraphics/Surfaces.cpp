// Pixel memory for surfaces, kept for reuse: a snapshot makes and drops bitmaps of the same
// size again and again, and fresh memory costs a page fault for every 4 KiB touched.

#include "platform/coregraphics/Internals.h"

#include <cstdlib>
#include <cstring>
#include <vector>

namespace coregraphics::detail {

namespace {

// The most recently dropped buffers are kept, at most this many, and none larger than
// the limit; the oldest makes room.
constexpr std::size_t kKept = 8;
constexpr std::size_t kLargestKept = std::size_t{64} << 20;

struct Buffer {
  unsigned char* data;
  std::size_t size;
};

std::vector<Buffer>& kept() {
  static auto* buffers = new std::vector<Buffer>();
  return *buffers;
}

const cairo_user_data_key_t kBufferKey{};

void giveBack(void* data) {
  auto* buffer = static_cast<Buffer*>(data);
  auto& buffers = kept();
  if (buffer->size > kLargestKept) {
    std::free(buffer->data);
  } else {
    if (buffers.size() == kKept) {
      std::free(buffers.front().data);
      buffers.erase(buffers.begin());
    }
    buffers.push_back(*buffer);
  }
  delete buffer;
}

unsigned char* take(std::size_t size) {
  auto& buffers = kept();
  for (auto it = buffers.begin(); it != buffers.end(); ++it) {
    if (it->size != size) continue;
    unsigned char* data = it->data;
    buffers.erase(it);
    return data;
  }
  return static_cast<unsigned char*>(std::malloc(size));
}

}  // namespace

cairo_surface_t* newSurface(int width, int height) {
  const int stride = cairo_format_stride_for_width(CAIRO_FORMAT_ARGB32, width);
  const std::size_t size = static_cast<std::size_t>(stride) * static_cast<std::size_t>(height);
  unsigned char* data = stride > 0 ? take(size) : nullptr;
  if (data == nullptr) return cairo_image_surface_create(CAIRO_FORMAT_ARGB32, 0, 0);
  std::memset(data, 0, size);
  cairo_surface_t* surface = cairo_image_surface_create_for_data(data, CAIRO_FORMAT_ARGB32, width, height, stride);
  if (cairo_surface_set_user_data(surface, &kBufferKey, new Buffer{data, size}, &giveBack) != CAIRO_STATUS_SUCCESS) {
    cairo_surface_destroy(surface);
    std::free(data);
    return cairo_image_surface_create(CAIRO_FORMAT_ARGB32, 0, 0);
  }
  return surface;
}

}  // namespace coregraphics::detail
