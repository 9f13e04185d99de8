// PNG files through cairo, with the input checked before cairo decodes it.

#include "platform/coregraphics/PNG.h"

#include "platform/coregraphics/CGBitmapContext.h"
#include "platform/coregraphics/Internals.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <array>
#include <cerrno>
#include <cstring>
#include <fstream>
#include <span>
#include <system_error>
#include <vector>

namespace coregraphics {

namespace {

constexpr std::array<std::uint8_t, 8> kSignature = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1a, '\n'};

std::uint32_t bigEndian(const std::uint8_t* bytes) {
  return std::uint32_t{bytes[0]} << 24 | std::uint32_t{bytes[1]} << 16 | std::uint32_t{bytes[2]} << 8 | bytes[3];
}

// The picture's size from the header chunk, which must come first; empty when the
// bytes do not begin as a PNG does.
std::string checkHeader(std::span<const std::uint8_t> bytes) {
  if (bytes.size() < 8 || !std::equal(kSignature.begin(), kSignature.end(), bytes.begin())) return "not a PNG file";
  if (bytes.size() < 8 + 8 + 13 || bigEndian(&bytes[8]) != 13 || std::memcmp(&bytes[12], "IHDR", 4) != 0) {
    return "truncated or malformed PNG header";
  }
  const std::uint64_t width = bigEndian(&bytes[16]);
  const std::uint64_t height = bigEndian(&bytes[20]);
  if (width == 0 || height == 0) return "the picture is empty";
  if (width > kMaxBitmapSide || height > kMaxBitmapSide || width * height > kMaxBitmapPixels) {
    return "the picture is " + std::to_string(width) + " x " + std::to_string(height) + " pixels, beyond the limit";
  }
  return "";
}

struct Reader {
  std::span<const std::uint8_t> bytes;
  std::size_t at = 0;
};

cairo_status_t readFrom(void* closure, unsigned char* data, unsigned int length) {
  auto* reader = static_cast<Reader*>(closure);
  if (reader->bytes.size() - reader->at < length) return CAIRO_STATUS_READ_ERROR;
  std::memcpy(data, reader->bytes.data() + reader->at, length);
  reader->at += length;
  return CAIRO_STATUS_SUCCESS;
}

cairo_status_t appendTo(void* closure, const unsigned char* data, unsigned int length) {
  static_cast<std::vector<unsigned char>*>(closure)->insert(static_cast<std::vector<unsigned char>*>(closure)->end(),
                                                            data, data + length);
  return CAIRO_STATUS_SUCCESS;
}

// Any decoded surface as ARGB32, the one format images hold.
cairo_surface_t* asARGB32(cairo_surface_t* decoded) {
  if (cairo_image_surface_get_format(decoded) == CAIRO_FORMAT_ARGB32) return decoded;
  cairo_surface_t* converted = cairo_image_surface_create(CAIRO_FORMAT_ARGB32, cairo_image_surface_get_width(decoded),
                                                          cairo_image_surface_get_height(decoded));
  cairo_t* cr = cairo_create(converted);
  cairo_set_source_surface(cr, decoded, 0, 0);
  cairo_paint(cr);
  cairo_destroy(cr);
  cairo_surface_destroy(decoded);
  cairo_surface_flush(converted);
  return converted;
}

bool writeAll(int fd, const std::vector<unsigned char>& bytes) {
  std::size_t written = 0;
  while (written < bytes.size()) {
    const ssize_t n = ::write(fd, bytes.data() + written, bytes.size() - written);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return false;
    written += static_cast<std::size_t>(n);
  }
  return true;
}

}  // namespace

CGImageRef readPNG(const std::filesystem::path& path, std::string& why) {
  std::error_code error;
  if (!std::filesystem::is_regular_file(path, error)) {
    why = std::filesystem::exists(path, error) ? "not a regular file" : "no such file";
    return nullptr;
  }
  const std::uintmax_t size = std::filesystem::file_size(path, error);
  if (error || size > kMaxPNGFileSize) {
    why = error ? "cannot read its size" : "larger than " + std::to_string(kMaxPNGFileSize >> 20) + " MiB";
    return nullptr;
  }
  std::vector<std::uint8_t> bytes(static_cast<std::size_t>(size));
  std::ifstream in(path, std::ios::binary);
  if (!in.read(reinterpret_cast<char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()))) {
    why = "cannot read the file";
    return nullptr;
  }
  why = checkHeader(bytes);
  if (!why.empty()) return nullptr;
  Reader reader{bytes};
  cairo_surface_t* decoded = cairo_image_surface_create_from_png_stream(&readFrom, &reader);
  if (cairo_surface_status(decoded) != CAIRO_STATUS_SUCCESS) {
    why = std::string("cannot decode: ") + cairo_status_to_string(cairo_surface_status(decoded));
    cairo_surface_destroy(decoded);
    return nullptr;
  }
  return detail::adoptSurface(asARGB32(decoded));
}

bool writePNG(CGImageRef image, const std::filesystem::path& path, std::string& why) {
  if (image == nullptr) {
    why = "no image";
    return false;
  }
  std::vector<unsigned char> bytes;
  if (cairo_surface_write_to_png_stream(image->surface, &appendTo, &bytes) != CAIRO_STATUS_SUCCESS) {
    why = "cannot encode the picture";
    return false;
  }
  std::string temporary = path.string() + ".XXXXXX";
  const int fd = ::mkstemp(temporary.data());
  if (fd < 0) {
    why = std::strerror(errno);
    return false;
  }
  const bool complete = writeAll(fd, bytes) && ::fchmod(fd, 0644) == 0 && ::fsync(fd) == 0;
  const int savedErrno = errno;
  ::close(fd);
  if (!complete || std::rename(temporary.c_str(), path.c_str()) != 0) {
    why = std::strerror(complete ? errno : savedErrno);
    ::unlink(temporary.c_str());
    return false;
  }
  return true;
}

}  // namespace coregraphics
