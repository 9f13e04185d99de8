#pragma once
// A recording's file, read front to back through one buffer of bounded size so that memory
// stays flat however long the file is (a small file gets a small buffer, grown as needed). Only a regular file is read: a FIFO without a writer blocks in
// open(2) for ever and a device such as /dev/zero never ends, so anything else is refused
// ("FILE: not a regular file") before a byte is read. The buffer keeps kPadding readable
// bytes past its capacity for parsers that load whole blocks (simdjson, the JSON scanner).

#include <cstddef>
#include <filesystem>
#include <memory>

namespace recordings::detail {

class RecordingFile {
 public:
  static constexpr std::size_t kPadding = 64;

  // Throws RecordingError when the file cannot be opened or is not a regular file.
  RecordingFile(std::filesystem::path file, std::size_t maxCapacity);
  RecordingFile(const RecordingFile&) = delete;
  RecordingFile& operator=(const RecordingFile&) = delete;
  ~RecordingFile();

  const std::filesystem::path& path() const { return path_; }
  // The buffer's size now; kPadding more bytes past it may be loaded.
  std::size_t capacity() const { return capacity_; }

  // The bytes read and not yet dropped. Moves when the buffer grows: ask again after more().
  const char* data() const { return buffer_.get(); }
  std::size_t size() const { return size_; }

  // Drops the first `consumed` bytes and reads more behind the rest, growing the buffer when
  // it is full. False at the end of the file, or when a full buffer is as large as allowed.
  bool more(std::size_t consumed);

 private:
  void allocate(std::size_t capacity);

  std::filesystem::path path_;
  int fd_ = -1;
  std::size_t maxCapacity_;
  std::size_t capacity_ = 0;
  std::unique_ptr<char[]> buffer_;
  std::size_t size_ = 0;
  bool ended_ = false;
};

}  // namespace recordings::detail
