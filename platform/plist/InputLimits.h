#pragma once
// Checks run on untrusted bytes before libplist parses them. libplist 2.2 recurses once per
// nesting level with no limit, and gives every reference to a shared binary object a copy of
// its own; a small hostile file would overflow the stack or exhaust memory. Each check
// measures the shape only and leaves all decoding to libplist; when unsure it refuses.

#include <cstddef>
#include <cstdint>
#include <span>
#include <string_view>

namespace plist::detail {

// Element nesting of an XML document, comments, CDATA, processing instructions and
// declarations skipped. Refuses mismatched closing tags and tags it cannot delimit plainly.
bool xmlWithinLimits(std::string_view xml, int maxDepth);

// Nesting of containers reachable from the top object of a bplist00 file, and an estimate of
// what the fully copied tree would weigh in memory (kNodeCost per object plus string and data
// bytes, counted once per reference). Refuses cycles and references out of range.
inline constexpr std::uint64_t kNodeCost = 64;
bool binaryWithinLimits(std::span<const std::uint8_t> bytes, int maxDepth, std::uint64_t maxCost);

}  // namespace plist::detail
