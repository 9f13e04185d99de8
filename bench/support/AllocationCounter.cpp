#include "bench/support/AllocationCounter.h"

#include <atomic>
#include <cstddef>

#if defined(__SANITIZE_ADDRESS__)
#define TESSARO_COUNT_ALLOCATIONS 0
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
#define TESSARO_COUNT_ALLOCATIONS 0
#endif
#endif
#ifndef TESSARO_COUNT_ALLOCATIONS
#define TESSARO_COUNT_ALLOCATIONS 1
#endif

namespace {
std::atomic<std::int64_t> allocations{0};
}

#if TESSARO_COUNT_ALLOCATIONS
// glibc's own entry points; these wrappers take the place of malloc and calloc for every
// library in the process.
extern "C" void* __libc_malloc(std::size_t);
extern "C" void* __libc_calloc(std::size_t, std::size_t);

extern "C" void* malloc(std::size_t size) {
  allocations.fetch_add(1, std::memory_order_relaxed);
  return __libc_malloc(size);
}

extern "C" void* calloc(std::size_t count, std::size_t size) {
  allocations.fetch_add(1, std::memory_order_relaxed);
  return __libc_calloc(count, size);
}
#endif

namespace bench {
std::int64_t allocationCount() { return TESSARO_COUNT_ALLOCATIONS ? allocations.load() : -1; }
}  // namespace bench
