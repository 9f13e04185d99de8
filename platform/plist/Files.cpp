// Whole property lists to and from bytes, and the files themselves.

#include "platform/plist/InputLimits.h"
#include "platform/plist/Nodes.h"
#include "platform/plist/PropertyList.h"
#include "platform/plist/SystemCalls.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdlib>

namespace plist {

namespace {

using Bytes = std::vector<std::uint8_t>;

struct MallocDeleter {
  void operator()(void* p) const { std::free(p); }
};

// libplist writes a carriage return in a string or key as itself, which XML readers read as
// a line feed. Its own markup has none (its line ends are line feeds, data is base64), so
// every one in its output is text, and XML's character reference holds it exactly.
Bytes escapeCarriageReturns(const std::uint8_t* begin, const std::uint8_t* end) {
  constexpr std::string_view kReference = "&#13;";
  Bytes out;
  out.reserve(static_cast<std::size_t>(end - begin));
  for (const std::uint8_t* p = begin; p != end; ++p) {
    if (*p == '\r') {
      out.insert(out.end(), kReference.begin(), kReference.end());
    } else {
      out.push_back(*p);
    }
  }
  return out;
}

std::optional<Bytes> encode(plist_t node, Format format) {
  char* raw = nullptr;
  std::uint32_t length = 0;
  if (format == Format::Binary) {
    plist_to_bin(node, &raw, &length);
  } else {
    plist_to_xml(node, &raw, &length);
  }
  const std::unique_ptr<char, MallocDeleter> owned(raw);
  if (!raw || length == 0) return std::nullopt;
  const auto* begin = reinterpret_cast<const std::uint8_t*>(raw);
  Bytes bytes = format == Format::Binary ? Bytes(begin, begin + length) : escapeCarriageReturns(begin, begin + length);
  if (bytes.size() > kMaxFileSize) return std::nullopt;
  return bytes;
}

bool readsBackAs(const Value& read, const Value& written) { return identical(read, written); }
bool readsBackAs(const Value& read, const Dictionary& written) {
  return read.isDictionary() && identical(*read.asDictionary(), written);
}

// The bytes of `value` that read back identical, or none. Reading them back is the proof:
// libplist's XML loses a date's fraction and the sign of a zero or a NaN, and a result the
// input checks refuse could not be read at all.
template <class T>
std::optional<Bytes> encodeExactly(const T& value, Format format) {
  if (format == Format::XmlOrBinary) {
    if (std::optional<Bytes> xml = encodeExactly(value, Format::Xml)) return xml;
    return encodeExactly(value, Format::Binary);
  }
  const detail::Node node = detail::toNode(value, format);
  if (!node) return std::nullopt;
  std::optional<Bytes> bytes = encode(node.get(), format);
  if (!bytes) return std::nullopt;
  const std::optional<Value> back = parse(*bytes);
  if (!back || !readsBackAs(*back, value)) return std::nullopt;
  return bytes;
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
    return detail::systemCalls().close(fd) == 0;  // no retry on EINTR: Linux has closed it already
  }

 private:
  int fd_;
};

bool writeAll(int fd, std::span<const std::uint8_t> bytes) {
  while (!bytes.empty()) {
    const ssize_t written = detail::systemCalls().write(fd, bytes.data(), bytes.size());
    if (written < 0 && errno == EINTR) continue;
    if (written <= 0) return false;
    bytes = bytes.subspan(static_cast<std::size_t>(written));
  }
  return true;
}

// Durability of the rename itself; a failure here does not undo the replacement.
void syncDirectory(const std::filesystem::path& directory) {
  const int fd = ::open(directory.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (fd < 0) return;
  ::fsync(fd);
  ::close(fd);
}

}  // namespace

std::optional<Value> parse(std::span<const std::uint8_t> bytes) {
  if (bytes.empty() || bytes.size() > kMaxFileSize) return std::nullopt;
  const auto* chars = reinterpret_cast<const char*>(bytes.data());
  const auto length = static_cast<std::uint32_t>(bytes.size());
  plist_t raw = nullptr;
  if (plist_is_binary(chars, length)) {
    if (!detail::binaryWithinLimits(bytes, {kMaxNesting, kMaxObjects, kMaxWeight})) return std::nullopt;
    plist_from_bin(chars, length, &raw);
  } else {
    // A UTF-8 byte-order mark is no markup to libplist, which would refuse the document.
    constexpr std::string_view kByteOrderMark = "\xEF\xBB\xBF";
    std::string_view document(chars, bytes.size());
    if (document.starts_with(kByteOrderMark)) document.remove_prefix(kByteOrderMark.size());
    // A NUL-terminated copy, in case the parser looks one byte past the end.
    const std::string xml(document);
    // One more level, and element, for the <plist> element around the value.
    if (!detail::xmlWithinLimits(xml, {kMaxNesting + 1, kMaxObjects + 1, kMaxWeight})) return std::nullopt;
    plist_from_xml(xml.c_str(), static_cast<std::uint32_t>(xml.size()), &raw);
  }
  const detail::Node root(raw);
  if (!root) return std::nullopt;
  return detail::toValue(root.get());
}

std::optional<Dictionary> readDictionary(const std::filesystem::path& path) {
  // O_NONBLOCK: opening a FIFO must not hang; it is refused below as not a regular file.
  const int opened = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NOCTTY | O_NONBLOCK);
  if (opened < 0) return std::nullopt;
  struct Closer {
    int fd;
    ~Closer() { ::close(fd); }
  } fd{opened};
  struct stat info {};
  if (::fstat(fd.fd, &info) != 0 || !S_ISREG(info.st_mode)) return std::nullopt;
  if (info.st_size < 0 || static_cast<std::uint64_t>(info.st_size) > kMaxFileSize) return std::nullopt;

  // The file may grow while we read, so the bound holds on what is read, not on the size.
  Bytes bytes(static_cast<std::size_t>(info.st_size) + 1);
  std::size_t used = 0;
  for (;;) {
    if (used == bytes.size()) {
      if (bytes.size() > kMaxFileSize) return std::nullopt;
      bytes.resize(std::min(bytes.size() * 2, kMaxFileSize + 1));
    }
    const ssize_t got = ::read(fd.fd, bytes.data() + used, bytes.size() - used);
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
  return encodeExactly(value, format);
}

bool writeDictionaryAtomically(const Dictionary& dictionary, const std::filesystem::path& path,
                               Format format) {
  // Encode first: a dictionary that cannot be stored must not cost the old file anything.
  const std::optional<Bytes> bytes = encodeExactly(dictionary, format);
  return bytes && writeFileAtomically(*bytes, path);
}

bool writeFileAtomically(std::span<const std::uint8_t> bytes, const std::filesystem::path& path) {
  const std::string name = path.filename().string();
  if (name.empty() || name == "." || name == "..") return false;
  const std::filesystem::path directory = path.has_parent_path() ? path.parent_path() : ".";
  const detail::SystemCalls& calls = detail::systemCalls();
  // Hidden and in the same directory, so the rename cannot cross file systems. Shortened so
  // the name with its suffix stays within NAME_MAX.
  std::string temporary = (directory / ("." + name.substr(0, 200) + ".XXXXXX")).string();
  FileDescriptor fd(calls.mkostemp(temporary.data(), O_CLOEXEC));
  if (fd.get() < 0) return false;
  struct RemoveUnlessRenamed {
    const std::string& path;
    bool renamed = false;
    ~RemoveUnlessRenamed() {
      if (!renamed) detail::systemCalls().unlink(path.c_str());
    }
  } guard{temporary};

  // mkstemp creates 0600; a preferences file is readable by all.
  if (calls.fchmod(fd.get(), 0644) != 0) return false;
  if (!writeAll(fd.get(), bytes)) return false;
  if (calls.fsync(fd.get()) != 0) return false;
  if (!fd.close()) return false;
  if (calls.rename(temporary.c_str(), path.c_str()) != 0) return false;
  guard.renamed = true;
  syncDirectory(directory);
  return true;
}

}  // namespace plist
