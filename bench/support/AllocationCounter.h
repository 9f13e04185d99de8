#pragma once
// Counts heap allocations of the whole process (every library included), so a benchmark
// can report how many a piece of work makes. Not available under AddressSanitizer, which
// owns malloc itself; there the count reads as -1.

#include <cstdint>

namespace bench {

// Allocations made so far by this process, or -1 when they cannot be counted.
std::int64_t allocationCount();

}  // namespace bench
