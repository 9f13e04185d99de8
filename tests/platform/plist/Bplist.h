#pragma once
// Hand-made bplist00 files for the tests, object by object, so that a test can build what no
// writer would: shared objects, cycles, strings with a NUL. Object 0 is the top; offsets and
// references are `size` bytes wide (4 unless told).

#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace bplisttest {

using Bytes = std::vector<std::uint8_t>;

inline void appendBigEndian(Bytes& out, std::uint64_t value, int size) {
  for (int k = size - 1; k >= 0; --k) out.push_back(static_cast<std::uint8_t>(value >> (8 * k)));
}

// A marker of `type` (0x40 data, 0x50 ASCII, 0x60 UTF-16, 0xA0 array, 0xD0 dictionary) with
// its length: in the low nibble below 15, else as the integer object that follows.
inline Bytes marker(std::uint8_t type, std::uint64_t length) {
  if (length < 15) return {static_cast<std::uint8_t>(type | length)};
  Bytes out{static_cast<std::uint8_t>(type | 0xF), 0x13};
  appendBigEndian(out, length, 8);
  return out;
}

// An array (0xA0) or dictionary (0xD0: `count` keys, then the values) of `references`.
inline Bytes container(std::uint8_t type, const std::vector<std::uint32_t>& references, std::uint64_t count,
                       int size = 4) {
  Bytes object = marker(type, count);
  for (const std::uint32_t reference : references) appendBigEndian(object, reference, size);
  return object;
}

inline Bytes ascii(std::string_view text) {
  Bytes object = marker(0x50, text.size());
  object.insert(object.end(), text.begin(), text.end());
  return object;
}

inline Bytes utf16(std::u16string_view text) {
  Bytes object = marker(0x60, text.size());
  for (const char16_t unit : text) appendBigEndian(object, unit, 2);
  return object;
}

inline Bytes data(std::size_t size, std::uint8_t fill = 0xAB) {
  Bytes object = marker(0x40, size);
  object.insert(object.end(), size, fill);
  return object;
}

inline Bytes bplist(const std::vector<Bytes>& objects, int size = 4) {
  Bytes out{'b', 'p', 'l', 'i', 's', 't', '0', '0'};
  std::vector<std::size_t> offsets;
  for (const Bytes& object : objects) {
    offsets.push_back(out.size());
    out.insert(out.end(), object.begin(), object.end());
  }
  const std::size_t table = out.size();
  for (const std::size_t offset : offsets) appendBigEndian(out, offset, 4);
  out.insert(out.end(), {0, 0, 0, 0, 0, 0, 4, static_cast<std::uint8_t>(size)});
  appendBigEndian(out, objects.size(), 8);
  appendBigEndian(out, 0, 8);
  appendBigEndian(out, table, 8);
  return out;
}

// Arrays nested `levels` deep.
inline Bytes nestedBplist(int levels) {
  std::vector<Bytes> objects;
  for (int i = 0; i + 1 < levels; ++i) objects.push_back(container(0xA0, {static_cast<std::uint32_t>(i + 1)}, 1));
  objects.push_back({0xA0});
  return bplist(objects);
}

inline std::string text(const Bytes& bytes) { return {bytes.begin(), bytes.end()}; }

inline std::span<const std::uint8_t> bytesOf(std::string_view text) {
  return {reinterpret_cast<const std::uint8_t*>(text.data()), text.size()};
}

}  // namespace bplisttest
