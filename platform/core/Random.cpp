// SplitMix64: small, fast, and the same sequence on every machine for a given seed.

#include "platform/core/Random.h"

#include "platform/core/Arc4Random.h"

#include <stdlib.h>

namespace {
std::uint64_t state = 1;
}  // namespace

namespace core {

void seedRandom(std::uint64_t seed) { state = seed; }

}  // namespace core

extern "C" std::uint32_t arc4random(void) noexcept {
  std::uint64_t z = (state += 0x9e3779b97f4a7c15ull);
  z = (z ^ (z >> 30)) * 0xbf58476d1ce4e5b9ull;
  z = (z ^ (z >> 27)) * 0x94d049bb133111ebull;
  return static_cast<std::uint32_t>((z ^ (z >> 31)) >> 32);
}
