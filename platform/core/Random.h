#pragma once
// The device's random numbers: arc4random, as the system's C library declares it
// (<stdlib.h>), answered from a generator the device seeds, so that a run can be repeated
// exactly. A library calling arc4random gets these. Seeded with 1 until told otherwise.

#include <cstdint>

namespace core {

void seedRandom(std::uint64_t seed);

}  // namespace core
