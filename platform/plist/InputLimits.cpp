#include "platform/plist/InputLimits.h"

#include <algorithm>
#include <cstring>
#include <limits>
#include <optional>
#include <vector>

namespace plist::detail {

namespace {

std::uint64_t readBigEndian(const std::uint8_t* p, std::size_t size) {
  std::uint64_t value = 0;
  for (std::size_t k = 0; k < size; ++k) value = value << 8 | p[k];
  return value;
}

// The length in UTF-8 of a big-endian UTF-16 string, or none when it holds a NUL or an
// unpaired surrogate.
std::optional<std::uint64_t> utf8Length(const std::uint8_t* units, std::uint64_t count) {
  std::uint64_t length = 0;
  for (std::uint64_t k = 0; k < count; ++k) {
    const auto unit = static_cast<std::uint16_t>(units[2 * k] << 8 | units[2 * k + 1]);
    if (unit == 0 || (unit >= 0xDC00 && unit <= 0xDFFF)) return std::nullopt;
    if (unit >= 0xD800 && unit <= 0xDBFF) {
      if (++k == count) return std::nullopt;
      const auto low = static_cast<std::uint16_t>(units[2 * k] << 8 | units[2 * k + 1]);
      if (low < 0xDC00 || low > 0xDFFF) return std::nullopt;
      length += 4;
    } else {
      length += unit < 0x80 ? 1 : unit < 0x800 ? 2 : 3;
    }
  }
  return length;
}

// What the walk needs to know of one object: where its references are, and the bytes of
// payload it carries.
struct Shape {
  bool container = false;
  std::uint64_t references = 0;
  std::size_t referencesAt = 0;
  std::uint64_t payload = 0;
};

class Bplist {
 public:
  Bplist(std::span<const std::uint8_t> bytes, std::uint64_t maxObjects) : bytes_(bytes), maxObjects_(maxObjects) {}

  bool readTrailer() {
    constexpr std::size_t kHeader = 8, kTrailer = 32;
    if (bytes_.size() < kHeader + kTrailer || std::memcmp(bytes_.data(), "bplist00", kHeader) != 0) return false;
    const std::uint8_t* trailer = bytes_.data() + bytes_.size() - kTrailer;
    offsetSize_ = trailer[6];
    referenceSize_ = trailer[7];
    count_ = readBigEndian(trailer + 8, 8);
    top_ = readBigEndian(trailer + 16, 8);
    const std::uint64_t table = readBigEndian(trailer + 24, 8);
    const std::size_t tableLimit = bytes_.size() - kTrailer;
    if (offsetSize_ < 1 || offsetSize_ > 8 || referenceSize_ < 1 || referenceSize_ > 8) return false;
    if (table < kHeader || table > tableLimit) return false;
    tableOffset_ = static_cast<std::size_t>(table);
    return count_ > 0 && top_ < count_ && count_ <= (tableLimit - tableOffset_) / offsetSize_;
  }

  std::uint64_t count() const { return count_; }
  std::uint64_t top() const { return top_; }

  std::uint64_t reference(const Shape& shape, std::uint64_t n) const {
    return readBigEndian(bytes_.data() + shape.referencesAt + n * referenceSize_, referenceSize_);
  }

  std::optional<Shape> shape(std::uint64_t index) const {
    if (index >= count_) return std::nullopt;
    const std::uint64_t offset = readBigEndian(bytes_.data() + tableOffset_ + index * offsetSize_, offsetSize_);
    if (offset < 8 || offset >= tableOffset_) return std::nullopt;
    const auto at = static_cast<std::size_t>(offset);
    const std::uint8_t* object = bytes_.data() + at;
    Shape shape;
    const unsigned type = object[0] >> 4;
    std::uint64_t length = 0;
    std::size_t after = 0;
    switch (type) {
      case 0x1: {  // integer of 2^n bytes; of 16, libplist keeps the low 8
        const std::size_t size = std::size_t{1} << std::min(object[0] & 0xF, 5);
        if (size != 16) return shape;
        if (size > tableOffset_ - (at + 1)) return std::nullopt;
        if (readBigEndian(object + 1, 8) != 0) return std::nullopt;
        return shape;
      }
      case 0x4:  // data
        if (!readLength(at, length, after) || length > tableOffset_ - after) return std::nullopt;
        shape.payload = length;
        return shape;
      case 0x5: {  // ASCII string
        if (!readLength(at, length, after) || length > tableOffset_ - after) return std::nullopt;
        const std::uint8_t* text = bytes_.data() + after;
        if (std::any_of(text, text + length, [](std::uint8_t c) { return c == 0 || c > 0x7F; })) return std::nullopt;
        shape.payload = length;
        return shape;
      }
      case 0x6: {  // UTF-16 string, in units of two bytes
        if (!readLength(at, length, after) || length > (tableOffset_ - after) / 2) return std::nullopt;
        const std::optional<std::uint64_t> utf8 = utf8Length(bytes_.data() + after, length);
        if (!utf8) return std::nullopt;
        shape.payload = *utf8;
        return shape;
      }
      case 0xC:  // set: libplist reads it as an array, so a write-back would change its kind
        return std::nullopt;
      case 0xA:  // array
      case 0xD:  // dictionary: keys, then values
        if (!readLength(at, length, after) || length > maxObjects_) return std::nullopt;
        if (length > (tableOffset_ - after) / referenceSize_ / (type == 0xD ? 2 : 1)) return std::nullopt;
        shape.container = true;
        shape.references = type == 0xD ? length * 2 : length;
        shape.referencesAt = after;
        return shape;
      default:
        return shape;
    }
  }

 private:
  // A small length sits in the marker's low nibble; 0xF means an integer object follows.
  bool readLength(std::size_t at, std::uint64_t& length, std::size_t& after) const {
    const unsigned nibble = bytes_[at] & 0xF;
    if (nibble != 0xF) {
      length = nibble;
      after = at + 1;
      return true;
    }
    if (at + 1 >= tableOffset_ || bytes_[at + 1] >> 4 != 0x1) return false;
    const std::size_t size = std::size_t{1} << (bytes_[at + 1] & 0xF);
    if (size > 8 || size > tableOffset_ - (at + 2)) return false;
    length = readBigEndian(bytes_.data() + at + 2, size);
    after = at + 2 + size;
    return true;
  }

  std::span<const std::uint8_t> bytes_;
  std::uint64_t maxObjects_;
  std::size_t offsetSize_ = 0;
  std::size_t referenceSize_ = 0;
  std::uint64_t count_ = 0;
  std::uint64_t top_ = 0;
  std::size_t tableOffset_ = 0;
};

}  // namespace

bool binaryWithinLimits(std::span<const std::uint8_t> bytes, const Limits& limits) {
  Bplist file(bytes, limits.objects);
  if (!file.readTrailer()) return false;
  constexpr std::uint64_t kMost = std::numeric_limits<std::uint32_t>::max() - 1;
  const std::uint64_t maxWeight = std::min(limits.weight, kMost);
  const std::uint64_t maxObjects = std::min(limits.objects, kMost);

  // Shared objects are walked once: what they weigh and count with everything below them,
  // and the height of container nesting below them, are remembered, so a reference to one
  // costs what it expands to without walking it again. height is stored plus one, so that 0
  // means not seen yet.
  constexpr std::uint16_t kUnseen = 0, kOpen = 0xFFFF;
  struct Size {
    std::uint32_t weight = 0;
    std::uint32_t objects = 0;
  };
  std::vector<Size> sizes(file.count());
  std::vector<std::uint16_t> height(file.count(), kUnseen);

  struct Frame {
    std::uint64_t index;
    Shape shape;
    std::uint64_t next = 0;
    std::uint64_t weight = kNodeCost;
    std::uint64_t objects = 1;
    std::uint16_t height = 1;
  };
  std::vector<Frame> stack;
  // Sums stop one past the limit, so that they cannot overflow.
  const auto add = [&](const Size& child, std::uint16_t childHeight) {
    if (stack.empty()) return;
    Frame& parent = stack.back();
    parent.weight = std::min(maxWeight + 1, parent.weight + child.weight);
    parent.objects = std::min(maxObjects + 1, parent.objects + child.objects);
    parent.height = std::max<std::uint16_t>(parent.height, static_cast<std::uint16_t>(childHeight + 1));
  };
  const auto visit = [&](std::uint64_t index) {
    if (index >= file.count() || height[index] == kOpen) return false;  // out of range, or a cycle
    if (height[index] != kUnseen) {
      const std::uint16_t below = static_cast<std::uint16_t>(height[index] - 1);
      if (stack.size() + below > static_cast<std::size_t>(limits.depth)) return false;
      add(sizes[index], below);
      return true;
    }
    const std::optional<Shape> shape = file.shape(index);
    if (!shape) return false;
    if (!shape->container) {
      sizes[index] = {static_cast<std::uint32_t>(std::min(maxWeight + 1, kNodeCost + shape->payload)), 1};
      height[index] = 1;
      add(sizes[index], 0);
      return true;
    }
    if (stack.size() >= static_cast<std::size_t>(limits.depth)) return false;
    height[index] = kOpen;
    stack.push_back(Frame{index, *shape});
    return true;
  };

  if (!visit(file.top())) return false;
  while (!stack.empty()) {
    Frame& frame = stack.back();
    if (frame.weight > maxWeight || frame.objects > maxObjects) return false;
    if (frame.next < frame.shape.references) {
      const std::uint64_t child = file.reference(frame.shape, frame.next++);
      if (!visit(child)) return false;
      continue;
    }
    const Frame done = frame;
    stack.pop_back();
    sizes[done.index] = {static_cast<std::uint32_t>(done.weight), static_cast<std::uint32_t>(done.objects)};
    height[done.index] = static_cast<std::uint16_t>(done.height + 1);
    add(sizes[done.index], done.height);
  }
  const Size& top = sizes[file.top()];
  return top.weight <= maxWeight && top.objects <= maxObjects;
}

}  // namespace plist::detail
