#include "platform/plist/Nodes.h"

#include <array>
#include <cmath>
#include <cstdlib>
#include <cstring>

namespace plist::detail {

namespace {

// XML dates have four-digit years, and libplist writes a year as few digits as it has
// ("999-12-31T23:59:59Z", which other readers refuse): so XML holds the years 1000 to 9999.
constexpr double kFirstXmlDate = -31588531200.0;  // 1000-01-01T00:00:00Z
constexpr double kLastXmlDate = 252423993599.0;   // 9999-12-31T23:59:59Z

struct MallocDeleter {
  void operator()(void* p) const { std::free(p); }
};

// A node alone as bplist00, to read what libplist's accessors do not tell.
std::unique_ptr<char, MallocDeleter> binaryOf(plist_t node, std::uint32_t& length) {
  char* raw = nullptr;
  length = 0;
  plist_to_bin(node, &raw, &length);
  return std::unique_ptr<char, MallocDeleter>(raw);
}

// --- Dates --------------------------------------------------------------------------------
// libplist 2.2 hands dates in and out as int32 seconds plus microseconds: dates past 2069
// come out as garbage and a negative fraction loses its sign. Its binary form carries the
// exact double, so dates cross through a one-object bplist00 instead:
// header, marker 0x33 and the big-endian double at offset 8, offset table, trailer.

constexpr std::size_t kObject = 8;
constexpr std::size_t kDateFileSize = 8 + 9 + 1 + 32;

Node dateNode(double seconds) {
  std::array<std::uint8_t, kDateFileSize> file{};
  std::memcpy(file.data(), "bplist00", 8);
  file[kObject] = 0x33;
  std::uint64_t bits = 0;
  std::memcpy(&bits, &seconds, sizeof bits);
  for (std::size_t k = 0; k < 8; ++k) file[kObject + 1 + k] = static_cast<std::uint8_t>(bits >> (56 - 8 * k));
  file[17] = kObject;  // offset table: one 1-byte entry
  std::uint8_t* trailer = file.data() + 18;
  trailer[6] = 1;   // offset size
  trailer[7] = 1;   // reference size
  trailer[15] = 1;  // one object, and it is the top one
  trailer[31] = 17; // offset table position
  plist_t node = nullptr;
  plist_from_bin(reinterpret_cast<const char*>(file.data()), static_cast<std::uint32_t>(file.size()), &node);
  return Node(node);
}

std::optional<double> dateSeconds(plist_t node) {
  std::uint32_t length = 0;
  const auto file = binaryOf(node, length);
  const auto* bytes = reinterpret_cast<const std::uint8_t*>(file.get());
  if (!file || length < kObject + 9 || std::memcmp(bytes, "bplist00", 8) != 0 || bytes[kObject] != 0x33) {
    return std::nullopt;
  }
  std::uint64_t bits = 0;
  for (std::size_t k = 0; k < 8; ++k) bits = bits << 8 | bytes[kObject + 1 + k];
  double seconds = 0;
  std::memcpy(&seconds, &bits, sizeof seconds);
  return seconds;
}

bool storableDate(double seconds) { return std::isfinite(seconds) && std::fabs(seconds) <= kMaxDateSeconds; }

// libplist keeps every integer as 64 bits and remembers only in its binary form whether it
// was read as unsigned beyond INT64_MAX (a 16-byte integer, marker 0x14).
bool unsignedAboveInt64(plist_t node) {
  std::uint32_t length = 0;
  const auto file = binaryOf(node, length);
  return !file || length <= kObject || static_cast<std::uint8_t>(file.get()[kObject]) == 0x14;
}

// libplist takes strings NUL-terminated, and turns invalid UTF-8 into garbage in binary form.
bool storableString(std::string_view s) {
  std::size_t i = 0;
  while (i < s.size()) {
    const auto c = static_cast<unsigned char>(s[i]);
    if (c == 0) return false;
    if (c < 0x80) {
      ++i;
      continue;
    }
    std::size_t extra = 0;
    std::uint32_t code = 0, minimum = 0;
    if ((c & 0xE0) == 0xC0) {
      extra = 1, code = c & 0x1F, minimum = 0x80;
    } else if ((c & 0xF0) == 0xE0) {
      extra = 2, code = c & 0x0F, minimum = 0x800;
    } else if ((c & 0xF8) == 0xF0) {
      extra = 3, code = c & 0x07, minimum = 0x10000;
    } else {
      return false;
    }
    if (extra >= s.size() - i) return false;
    for (std::size_t k = 1; k <= extra; ++k) {
      const auto next = static_cast<unsigned char>(s[i + k]);
      if ((next & 0xC0) != 0x80) return false;
      code = code << 6 | (next & 0x3F);
    }
    if (code < minimum || code > 0x10FFFF || (code >= 0xD800 && code <= 0xDFFF)) return false;
    i += extra + 1;
  }
  return true;
}

// XML 1.0 has no way to write the control characters other than tab, line feed and
// carriage return, nor U+FFFE and U+FFFF, not even as character references: libplist writes
// them as they are, and every other reader refuses the document. `s` is valid UTF-8.
bool xmlCharacters(std::string_view s) {
  for (std::size_t i = 0; i < s.size(); ++i) {
    const auto c = static_cast<unsigned char>(s[i]);
    if (c < 0x20 && c != '\t' && c != '\n' && c != '\r') return false;
    // U+FFFE and U+FFFF are EF BF BE and EF BF BF.
    if (c == 0xEF && s.size() - i >= 3 && static_cast<unsigned char>(s[i + 1]) == 0xBF &&
        static_cast<unsigned char>(s[i + 2]) >= 0xBE) {
      return false;
    }
  }
  return true;
}

// A string or key this format can hold as it is.
bool storableIn(std::string_view s, Format format) {
  return storableString(s) && (format != Format::Xml || xmlCharacters(s));
}

// --- libplist nodes to values ------------------------------------------------------------

std::optional<Value> toValue(plist_t node, int depth);

// Iterated, never indexed: libplist finds the n-th element by walking the n before it.
std::optional<Value> arrayValue(plist_t node, int depth) {
  if (depth >= kMaxNesting) return std::nullopt;
  plist_array_iter rawIterator = nullptr;
  plist_array_new_iter(node, &rawIterator);
  const std::unique_ptr<void, MallocDeleter> iterator(rawIterator);
  if (!iterator) return std::nullopt;
  Array array;
  array.reserve(plist_array_get_size(node));
  for (;;) {
    plist_t item = nullptr;
    plist_array_next_item(node, rawIterator, &item);
    if (!item) break;
    std::optional<Value> value = toValue(item, depth + 1);
    if (!value) return std::nullopt;
    array.push_back(std::move(*value));
  }
  return Value(std::move(array));
}

std::optional<Value> dictionaryValue(plist_t node, int depth) {
  if (depth >= kMaxNesting) return std::nullopt;
  plist_dict_iter rawIterator = nullptr;
  plist_dict_new_iter(node, &rawIterator);
  const std::unique_ptr<void, MallocDeleter> iterator(rawIterator);
  if (!iterator) return std::nullopt;
  Dictionary dictionary;
  for (;;) {
    char* rawKey = nullptr;
    plist_t item = nullptr;
    plist_dict_next_item(node, rawIterator, &rawKey, &item);
    const std::unique_ptr<char, MallocDeleter> key(rawKey);
    if (!item) break;
    if (!key || !storableString(key.get())) return std::nullopt;
    std::optional<Value> value = toValue(item, depth + 1);
    if (!value) return std::nullopt;
    dictionary.insert_or_assign(std::string(key.get()), std::move(*value));
  }
  return Value(std::move(dictionary));
}

std::optional<Value> toValue(plist_t node, int depth) {
  switch (plist_get_node_type(node)) {
    case PLIST_BOOLEAN: {
      std::uint8_t b = 0;
      plist_get_bool_val(node, &b);
      return Value(b != 0);
    }
    case PLIST_UINT: {
      // A negative integer comes back two's complement, as does an unsigned one above
      // INT64_MAX; the model holds only the first.
      std::uint64_t bits = 0;
      plist_get_uint_val(node, &bits);
      const auto integer = static_cast<std::int64_t>(bits);
      if (integer < 0 && unsignedAboveInt64(node)) return std::nullopt;
      return Value(integer);
    }
    case PLIST_REAL: {
      double r = 0;
      plist_get_real_val(node, &r);
      return Value(r);
    }
    case PLIST_STRING: {
      std::uint64_t length = 0;
      const char* s = plist_get_string_ptr(node, &length);
      std::string text(s ? s : "", s ? length : 0);
      if (!storableString(text)) return std::nullopt;
      return Value(std::move(text));
    }
    case PLIST_DATA: {
      std::uint64_t length = 0;
      const char* bytes = plist_get_data_ptr(node, &length);
      const auto* begin = reinterpret_cast<const std::uint8_t*>(bytes);
      return Value(bytes ? Data(begin, begin + length) : Data{});
    }
    case PLIST_DATE: {
      const std::optional<double> seconds = dateSeconds(node);
      if (!seconds || !storableDate(*seconds)) return std::nullopt;
      return Value(Date{*seconds});
    }
    case PLIST_ARRAY:
      return arrayValue(node, depth);
    case PLIST_DICT:
      return dictionaryValue(node, depth);
    default:  // UID (keyed archives), a bare key, or nothing: no kind of ours holds them
      return std::nullopt;
  }
}

// --- values to libplist nodes ------------------------------------------------------------

Node toNode(const Value& value, int depth, Format format);

Node dictionaryNode(const Dictionary& dictionary, int depth, Format format) {
  if (depth >= kMaxNesting) return nullptr;
  Node node(plist_new_dict());
  for (const auto& [key, item] : dictionary) {
    if (!storableIn(key, format)) return nullptr;
    Node child = toNode(item, depth + 1, format);
    if (!child) return nullptr;
    plist_dict_set_item(node.get(), key.c_str(), child.release());
  }
  return node;
}

Node toNode(const Value& value, int depth, Format format) {
  switch (value.kind()) {
    case Kind::Boolean:
      return Node(plist_new_bool(*value.asBoolean() ? 1 : 0));
    case Kind::Integer:
      return Node(plist_new_uint(static_cast<std::uint64_t>(*value.asInteger())));
    case Kind::Real:
      return Node(plist_new_real(*value.asReal()));
    case Kind::String: {
      const std::string& s = *value.asString();
      return storableIn(s, format) ? Node(plist_new_string(s.c_str())) : nullptr;
    }
    case Kind::Data: {
      const Data& data = *value.asData();
      static const char kNothing = 0;
      const char* bytes = data.empty() ? &kNothing : reinterpret_cast<const char*>(data.data());
      return Node(plist_new_data(bytes, data.size()));
    }
    case Kind::Date: {
      const double seconds = value.asDate()->sinceReferenceDate;
      if (!storableDate(seconds)) return nullptr;
      if (format == Format::Xml && (seconds <= kFirstXmlDate - 1 || seconds >= kLastXmlDate + 1)) return nullptr;
      return dateNode(seconds);
    }
    case Kind::Array: {
      if (depth >= kMaxNesting) return nullptr;
      Node node(plist_new_array());
      for (const Value& item : *value.asArray()) {
        Node child = toNode(item, depth + 1, format);
        if (!child) return nullptr;
        plist_array_append_item(node.get(), child.release());
      }
      return node;
    }
    case Kind::Dictionary:
      return dictionaryNode(*value.asDictionary(), depth, format);
  }
  return nullptr;
}

}  // namespace

std::optional<Value> toValue(plist_t node) { return toValue(node, 0); }

Node toNode(const Value& value, Format format) { return toNode(value, 0, format); }

Node toNode(const Dictionary& dictionary, Format format) { return dictionaryNode(dictionary, 0, format); }

}  // namespace plist::detail
