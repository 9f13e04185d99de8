// Conversion between Value and libplist's nodes, and the files themselves.

#include "platform/plist/InputLimits.h"
#include "platform/plist/PropertyList.h"

#include <plist/plist.h>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <cerrno>
#include <cmath>
#include <cstdlib>
#include <cstring>

namespace plist {

namespace {

// Whole-tree bound on what a parsed binary file may weigh once libplist has copied every
// shared object: about 16 million nodes.
constexpr std::uint64_t kMaxParsedCost = std::uint64_t{1} << 30;
// Dates further than this from 2001 (about 31700 years) are refused on writing: libplist
// formats them through gmtime.
constexpr double kMaxDateSeconds = 1e12;
// XML holds a date as its text in whole seconds (the fraction is dropped, as the device
// does), and libplist writes and reads the years 1 to 9999 only: outside them it writes a
// text that reads back as another date. Such a date is refused for XML rather than
// corrupted; binary files keep any date exactly.
constexpr double kFirstXmlDate = -63113904000.0;  // 0001-01-01T00:00:00Z
constexpr double kLastXmlDate = 252423993599.0;   // 9999-12-31T23:59:59Z

struct NodeDeleter {
  void operator()(void* node) const { plist_free(static_cast<plist_t>(node)); }
};
using Node = std::unique_ptr<void, NodeDeleter>;

struct MallocDeleter {
  void operator()(void* p) const { std::free(p); }
};

// --- Dates --------------------------------------------------------------------------------
// libplist 2.2 hands dates in and out as int32 seconds plus microseconds: dates past 2069
// come out as garbage and a negative fraction loses its sign. Its binary form carries the
// exact double, so dates cross through a one-object bplist00 instead:
// header, marker 0x33 and the big-endian double at offset 8, offset table, trailer.

constexpr std::size_t kDateObject = 8;
constexpr std::size_t kDateFileSize = 8 + 9 + 1 + 32;

Node dateNode(double seconds) {
  std::array<std::uint8_t, kDateFileSize> file{};
  std::memcpy(file.data(), "bplist00", 8);
  file[kDateObject] = 0x33;
  std::uint64_t bits = 0;
  std::memcpy(&bits, &seconds, sizeof bits);
  for (std::size_t k = 0; k < 8; ++k) file[kDateObject + 1 + k] = static_cast<std::uint8_t>(bits >> (56 - 8 * k));
  file[17] = kDateObject;  // offset table: one 1-byte entry
  std::uint8_t* trailer = file.data() + 18;
  trailer[6] = 1;                                  // offset size
  trailer[7] = 1;                                  // reference size
  trailer[15] = 1;                                 // one object, and it is the top one
  trailer[31] = 17;                                // offset table position
  plist_t node = nullptr;
  plist_from_bin(reinterpret_cast<const char*>(file.data()), static_cast<std::uint32_t>(file.size()), &node);
  return Node(node);
}

std::optional<double> dateSeconds(plist_t node) {
  char* raw = nullptr;
  std::uint32_t length = 0;
  plist_to_bin(node, &raw, &length);
  const std::unique_ptr<char, MallocDeleter> file(raw);
  const auto* bytes = reinterpret_cast<const std::uint8_t*>(raw);
  if (!raw || length < kDateObject + 9 || std::memcmp(raw, "bplist00", 8) != 0 || bytes[kDateObject] != 0x33) {
    return std::nullopt;
  }
  std::uint64_t bits = 0;
  for (std::size_t k = 0; k < 8; ++k) bits = bits << 8 | bytes[kDateObject + 1 + k];
  double seconds = 0;
  std::memcpy(&seconds, &bits, sizeof seconds);
  return seconds;
}

// --- libplist nodes to values ------------------------------------------------------------

std::optional<Value> toValue(plist_t node, int depth) {
  switch (plist_get_node_type(node)) {
    case PLIST_BOOLEAN: {
      std::uint8_t b = 0;
      plist_get_bool_val(node, &b);
      return Value(b != 0);
    }
    case PLIST_UINT: {
      // libplist keeps every integer as 64 bits; a negative one comes back two's complement.
      std::uint64_t bits = 0;
      plist_get_uint_val(node, &bits);
      return Value(static_cast<std::int64_t>(bits));
    }
    case PLIST_REAL: {
      double r = 0;
      plist_get_real_val(node, &r);
      return Value(r);
    }
    case PLIST_STRING: {
      std::uint64_t length = 0;
      const char* s = plist_get_string_ptr(node, &length);
      return Value(std::string(s ? s : "", s ? length : 0));
    }
    case PLIST_DATA: {
      std::uint64_t length = 0;
      const char* bytes = plist_get_data_ptr(node, &length);
      const auto* begin = reinterpret_cast<const std::uint8_t*>(bytes);
      return Value(bytes ? Data(begin, begin + length) : Data{});
    }
    case PLIST_DATE: {
      const std::optional<double> seconds = dateSeconds(node);
      if (!seconds) return std::nullopt;
      return Value(Date{*seconds});
    }
    case PLIST_ARRAY: {
      if (depth >= kMaxNesting) return std::nullopt;
      Array array;
      const std::uint32_t size = plist_array_get_size(node);
      array.reserve(size);
      for (std::uint32_t i = 0; i < size; ++i) {
        std::optional<Value> item = toValue(plist_array_get_item(node, i), depth + 1);
        if (!item) return std::nullopt;
        array.push_back(std::move(*item));
      }
      return Value(std::move(array));
    }
    case PLIST_DICT: {
      if (depth >= kMaxNesting) return std::nullopt;
      plist_dict_iter rawIterator = nullptr;
      plist_dict_new_iter(node, &rawIterator);
      const std::unique_ptr<void, MallocDeleter> iterator(rawIterator);
      Dictionary dictionary;
      for (;;) {
        char* rawKey = nullptr;
        plist_t item = nullptr;
        plist_dict_next_item(node, rawIterator, &rawKey, &item);
        const std::unique_ptr<char, MallocDeleter> key(rawKey);
        if (!item) break;
        if (!key) return std::nullopt;
        std::optional<Value> value = toValue(item, depth + 1);
        if (!value) return std::nullopt;
        dictionary.insert_or_assign(std::string(key.get()), std::move(*value));
      }
      return Value(std::move(dictionary));
    }
    default:  // UID (keyed archives), a bare key, or nothing: no kind of ours holds them
      return std::nullopt;
  }
}

// --- values to libplist nodes ------------------------------------------------------------

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

Node toNode(const Value& value, int depth, Format format);

Node dictionaryNode(const Dictionary& dictionary, int depth, Format format) {
  if (depth >= kMaxNesting) return nullptr;
  Node node(plist_new_dict());
  for (const auto& [key, item] : dictionary) {
    if (!storableString(key)) return nullptr;
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
      return storableString(s) ? Node(plist_new_string(s.c_str())) : nullptr;
    }
    case Kind::Data: {
      const Data& data = *value.asData();
      static const char kNothing = 0;
      const char* bytes = data.empty() ? &kNothing : reinterpret_cast<const char*>(data.data());
      return Node(plist_new_data(bytes, data.size()));
    }
    case Kind::Date: {
      const double seconds = value.asDate()->sinceReferenceDate;
      if (!std::isfinite(seconds) || std::fabs(seconds) > kMaxDateSeconds) return nullptr;
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

std::optional<std::vector<std::uint8_t>> encode(plist_t node, Format format) {
  char* raw = nullptr;
  std::uint32_t length = 0;
  if (format == Format::Binary) {
    plist_to_bin(node, &raw, &length);
  } else {
    plist_to_xml(node, &raw, &length);
  }
  const std::unique_ptr<char, MallocDeleter> owned(raw);
  if (!raw || length == 0 || length > kMaxFileSize) return std::nullopt;
  const auto* begin = reinterpret_cast<const std::uint8_t*>(raw);
  return std::vector<std::uint8_t>(begin, begin + length);
}

// --- files --------------------------------------------------------------------------------

class FileDescriptor {
 public:
  explicit FileDescriptor(int fd) : fd_(fd) {}
  FileDescriptor(const FileDescriptor&) = delete;
  FileDescriptor& operator=(const FileDescriptor&) = delete;
  ~FileDescriptor() { close(); }
  int get() const { return fd_; }
  bool close() {
    if (fd_ < 0) return true;
    const int fd = std::exchange(fd_, -1);
    return ::close(fd) == 0;  // no retry on EINTR: Linux has closed the descriptor already
  }

 private:
  int fd_;
};

bool writeAll(int fd, std::span<const std::uint8_t> bytes) {
  while (!bytes.empty()) {
    const ssize_t written = ::write(fd, bytes.data(), bytes.size());
    if (written < 0 && errno == EINTR) continue;
    if (written <= 0) return false;
    bytes = bytes.subspan(static_cast<std::size_t>(written));
  }
  return true;
}

// Durability of the rename itself; a failure here does not undo the replacement.
void syncDirectory(const std::filesystem::path& directory) {
  FileDescriptor fd(::open(directory.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
  if (fd.get() >= 0) ::fsync(fd.get());
}

}  // namespace

std::optional<Value> parse(std::span<const std::uint8_t> bytes) {
  if (bytes.empty() || bytes.size() > kMaxFileSize) return std::nullopt;
  const auto* chars = reinterpret_cast<const char*>(bytes.data());
  const auto length = static_cast<std::uint32_t>(bytes.size());
  plist_t raw = nullptr;
  if (plist_is_binary(chars, length)) {
    if (!detail::binaryWithinLimits(bytes, kMaxNesting, kMaxParsedCost)) return std::nullopt;
    plist_from_bin(chars, length, &raw);
  } else {
    // A NUL-terminated copy, in case the parser looks one byte past the end.
    const std::string xml(chars, bytes.size());
    // One more level for the <plist> element around the value.
    if (!detail::xmlWithinLimits(xml, kMaxNesting + 1)) return std::nullopt;
    plist_from_xml(xml.c_str(), length, &raw);
  }
  const Node root(raw);
  if (!root) return std::nullopt;
  return toValue(root.get(), 0);
}

std::optional<Dictionary> readDictionary(const std::filesystem::path& path) {
  // O_NONBLOCK: opening a FIFO must not hang; it is refused below as not a regular file.
  FileDescriptor fd(::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NOCTTY | O_NONBLOCK));
  if (fd.get() < 0) return std::nullopt;
  struct stat info {};
  if (::fstat(fd.get(), &info) != 0 || !S_ISREG(info.st_mode)) return std::nullopt;
  if (info.st_size < 0 || static_cast<std::uint64_t>(info.st_size) > kMaxFileSize) return std::nullopt;

  // The file may grow while we read, so the bound holds on what is read, not on the size.
  std::vector<std::uint8_t> bytes(static_cast<std::size_t>(info.st_size) + 1);
  std::size_t used = 0;
  for (;;) {
    if (used == bytes.size()) {
      if (bytes.size() > kMaxFileSize) return std::nullopt;
      bytes.resize(std::min(bytes.size() * 2, kMaxFileSize + 1));
    }
    const ssize_t got = ::read(fd.get(), bytes.data() + used, bytes.size() - used);
    if (got < 0 && errno == EINTR) continue;
    if (got < 0) return std::nullopt;
    if (got == 0) break;
    used += static_cast<std::size_t>(got);
  }
  std::optional<Value> value = parse(std::span(bytes.data(), used));
  if (!value || !value->isDictionary()) return std::nullopt;
  return std::move(*value->asDictionary());
}

std::optional<std::vector<std::uint8_t>> serialize(const Value& value, Format format) {
  const Node node = toNode(value, 0, format);
  if (!node) return std::nullopt;
  return encode(node.get(), format);
}

bool writeDictionaryAtomically(const Dictionary& dictionary, const std::filesystem::path& path,
                               Format format) {
  // Encode first: a dictionary that cannot be stored must not cost the old file anything.
  const Node node = dictionaryNode(dictionary, 0, format);
  if (!node) return false;
  const std::optional<std::vector<std::uint8_t>> bytes = encode(node.get(), format);
  if (!bytes) return false;

  const std::string name = path.filename().string();
  if (name.empty() || name == "." || name == "..") return false;
  const std::filesystem::path directory = path.has_parent_path() ? path.parent_path() : ".";
  // Hidden and in the same directory, so the rename cannot cross file systems. Shortened so
  // the name with its suffix stays within NAME_MAX.
  std::string temporary = (directory / ("." + name.substr(0, 200) + ".XXXXXX")).string();
  FileDescriptor fd(::mkostemp(temporary.data(), O_CLOEXEC));
  if (fd.get() < 0) return false;
  struct RemoveUnlessRenamed {
    const std::string& path;
    bool renamed = false;
    ~RemoveUnlessRenamed() {
      if (!renamed) ::unlink(path.c_str());
    }
  } guard{temporary};

  // mkstemp creates 0600; a preferences file is readable by all.
  if (::fchmod(fd.get(), 0644) != 0) return false;
  if (!writeAll(fd.get(), *bytes)) return false;
  if (::fsync(fd.get()) != 0) return false;
  if (!fd.close()) return false;
  if (::rename(temporary.c_str(), path.c_str()) != 0) return false;
  guard.renamed = true;
  syncDirectory(directory);
  return true;
}

}  // namespace plist
