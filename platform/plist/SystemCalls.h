#pragma once
// Internal: the system calls of writeDictionaryAtomically, made through a table so that a
// test can fail any of them at any step and check what the write leaves behind. The table
// holds the C library's functions unless a test swaps one; it is process-wide and not
// synchronised, so it is changed only while no write runs.

#include <sys/types.h>

namespace plist::detail {

struct SystemCalls {
  int (*mkostemp)(char* pattern, int flags);
  int (*fchmod)(int fd, mode_t mode);
  ssize_t (*write)(int fd, const void* bytes, size_t count);
  int (*fsync)(int fd);
  int (*close)(int fd);
  int (*rename)(const char* from, const char* to);
  int (*unlink)(const char* path);
};

// The C library's functions.
const SystemCalls& realSystemCalls();
// The calls the writer makes.
SystemCalls& systemCalls();

}  // namespace plist::detail
