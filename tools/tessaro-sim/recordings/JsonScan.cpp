#include "tools/tessaro-sim/recordings/JsonScan.h"

#include <bit>
#include <cstdint>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace recordings::detail {

namespace {

struct Masks {
  std::uint64_t quote = 0, backslash = 0, bracket = 0, newline = 0;
};

#if defined(__SSE2__)
std::uint64_t bits(__m128i matches, int shift) {
  return static_cast<std::uint64_t>(static_cast<std::uint32_t>(_mm_movemask_epi8(matches))) << shift;
}

Masks classify(const char* p) {
  Masks m;
  for (int i = 0; i < 4; ++i) {
    const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p + 16 * i));
    // Setting bit 5 folds '[' onto '{' and ']' onto '}', and no other byte onto either.
    const __m128i folded = _mm_or_si128(v, _mm_set1_epi8(0x20));
    m.quote |= bits(_mm_cmpeq_epi8(v, _mm_set1_epi8('"')), 16 * i);
    m.backslash |= bits(_mm_cmpeq_epi8(v, _mm_set1_epi8('\\')), 16 * i);
    m.newline |= bits(_mm_cmpeq_epi8(v, _mm_set1_epi8('\n')), 16 * i);
    m.bracket |= bits(_mm_or_si128(_mm_cmpeq_epi8(folded, _mm_set1_epi8('{')), _mm_cmpeq_epi8(folded, _mm_set1_epi8('}'))),
                      16 * i);
  }
  return m;
}
#else
Masks classify(const char* p) {
  Masks m;
  for (int i = 0; i < 64; ++i) {
    const std::uint64_t bit = std::uint64_t{1} << i;
    const char c = p[i];
    if (c == '"') m.quote |= bit;
    if (c == '\\') m.backslash |= bit;
    if (c == '\n') m.newline |= bit;
    if (c == '{' || c == '}' || c == '[' || c == ']') m.bracket |= bit;
  }
  return m;
}
#endif

// Bit i set when an odd number of bits 0..i are: 1 from an opening quote up to (not
// including) its closing one.
std::uint64_t prefixXor(std::uint64_t x) {
  x ^= x << 1;
  x ^= x << 2;
  x ^= x << 4;
  x ^= x << 8;
  x ^= x << 16;
  x ^= x << 32;
  return x;
}

std::uint64_t below(unsigned n) { return n >= 64 ? ~std::uint64_t{0} : (std::uint64_t{1} << n) - 1; }

// Most blocks have no newline, and without POPCNT in the baseline instruction set a popcount
// is a call.
std::size_t count(std::uint64_t bits) { return bits == 0 ? 0 : static_cast<std::size_t>(std::popcount(bits)); }

}  // namespace

JsonScan::Outcome JsonScan::element(const char* text, std::size_t size) {
  Outcome outcome;
  std::size_t depth = 0;
  std::uint64_t escapeCarry = 0;  // bit 0: the block starts with an escaped byte
  std::uint64_t stringCarry = 0;  // all ones: the block starts inside a string
  for (std::size_t offset = 0; offset < size; offset += 64) {
    const Masks m = classify(text + offset);
    const std::uint64_t valid = below(static_cast<unsigned>(size - offset < 64 ? size - offset : 64));

    // Backslashes are rare: walk them, each escaping the byte after it unless it is escaped.
    std::uint64_t escaped = escapeCarry;
    escapeCarry = 0;
    for (std::uint64_t backslashes = m.backslash & valid; backslashes != 0; backslashes &= backslashes - 1) {
      const int i = std::countr_zero(backslashes);
      if ((escaped >> i) & 1) continue;
      if (i == 63) escapeCarry = 1;
      else escaped |= std::uint64_t{2} << i;
    }
    const std::uint64_t inString = prefixXor(m.quote & ~escaped & valid) ^ stringCarry;
    stringCarry = static_cast<std::uint64_t>(static_cast<std::int64_t>(inString) >> 63);

    for (std::uint64_t brackets = m.bracket & ~inString & valid; brackets != 0; brackets &= brackets - 1) {
      const int i = std::countr_zero(brackets);
      const char c = text[offset + static_cast<std::size_t>(i)];
      if (c == '{' || c == '[') {
        if (depth == kMaxDepth) {
          return {Result::TooDeep, offset + static_cast<std::size_t>(i),
                  outcome.newlines + count(m.newline & below(static_cast<unsigned>(i)))};
        }
        closers_[depth++] = c == '{' ? '}' : ']';
        continue;
      }
      if (depth == 0 || closers_[depth - 1] != c) {
        return {Result::Mismatch, offset + static_cast<std::size_t>(i),
                outcome.newlines + count(m.newline & below(static_cast<unsigned>(i)))};
      }
      if (--depth == 0) {
        return {Result::Complete, offset + static_cast<std::size_t>(i) + 1,
                outcome.newlines + count(m.newline & below(static_cast<unsigned>(i) + 1))};
      }
    }
    outcome.newlines += count(m.newline & valid);
  }
  return outcome;
}

}  // namespace recordings::detail
