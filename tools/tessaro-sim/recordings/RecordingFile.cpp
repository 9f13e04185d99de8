#include "tools/tessaro-sim/recordings/RecordingFile.h"

#include "tools/tessaro-sim/recordings/Recording.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>

namespace recordings::detail {

namespace {

// Bytes asked of one read(2): the scanners work on what was just read while it is in cache.
constexpr std::size_t kReadBytes = 256u << 10;
constexpr std::size_t kMinCapacity = 4u << 10;

std::string systemError(const char* what) { return std::string(what) + ": " + std::strerror(errno); }

}  // namespace

RecordingFile::RecordingFile(std::filesystem::path file, std::size_t maxCapacity)
    : path_(std::move(file)), maxCapacity_(maxCapacity) {
  // O_NONBLOCK so that opening a FIFO returns at once; cleared again for the reads.
  fd_ = ::open(path_.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
  if (fd_ < 0) throw RecordingError(path_, 0, std::nullopt, systemError("cannot open"));
  struct stat status {};
  if (::fstat(fd_, &status) != 0) {
    const std::string problem = systemError("cannot stat");
    ::close(fd_);
    throw RecordingError(path_, 0, std::nullopt, problem);
  }
  if (!S_ISREG(status.st_mode)) {
    ::close(fd_);
    throw RecordingError(path_, 0, std::nullopt, "not a regular file");
  }
  // The whole file when it is small: many recordings are, and their readers come and go.
  const auto fileSize = static_cast<std::size_t>(std::max<off_t>(status.st_size, 0));
  allocate(std::clamp<std::size_t>(fileSize + 1, kMinCapacity, maxCapacity_));
  const int flags = ::fcntl(fd_, F_GETFL);
  if (flags < 0 || ::fcntl(fd_, F_SETFL, flags & ~O_NONBLOCK) != 0) {
    const std::string problem = systemError("cannot read");
    ::close(fd_);
    throw RecordingError(path_, 0, std::nullopt, problem);
  }
}

RecordingFile::~RecordingFile() { ::close(fd_); }

void RecordingFile::allocate(std::size_t capacity) {
  std::unique_ptr<char[]> buffer(new char[capacity + kPadding]);
  if (size_ > 0) std::memcpy(buffer.get(), buffer_.get(), size_);
  // Only the padding is set: the rest is written by read(2) before it is looked at.
  std::memset(buffer.get() + capacity, 0, kPadding);
  buffer_ = std::move(buffer);
  capacity_ = capacity;
}

bool RecordingFile::more(std::size_t consumed) {
  consumed = std::min(consumed, size_);
  if (consumed > 0) {
    std::memmove(buffer_.get(), buffer_.get() + consumed, size_ - consumed);
    size_ -= consumed;
  }
  if (ended_) return false;
  if (size_ == capacity_) {
    if (capacity_ == maxCapacity_) return false;
    allocate(std::min(2 * capacity_, maxCapacity_));
  }
  for (;;) {
    const ssize_t n = ::read(fd_, buffer_.get() + size_, std::min(kReadBytes, capacity_ - size_));
    if (n > 0) {
      size_ += static_cast<std::size_t>(n);
      return true;
    }
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) throw RecordingError(path_, 0, std::nullopt, systemError("cannot read"));
    ended_ = true;
    return false;
  }
}

}  // namespace recordings::detail
