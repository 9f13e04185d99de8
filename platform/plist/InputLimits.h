#pragma once
// Checks run on untrusted bytes before libplist parses them. libplist 2.2 recurses once per
// nesting level with no limit, gives every reference to a shared binary object a copy of its
// own, spends time quadratic in the keys of one XML dictionary, and aborts the process on a
// string holding a NUL (an assertion in plist_get_key_val and plist_get_string_val). A small
// hostile file would overflow the stack, exhaust memory or time, or stop the host. Each check
// measures the shape and looks at the strings, leaving all decoding to libplist; when unsure
// it refuses. A refusal is only `false`: the caller reads the file as unreadable.

#include <cstddef>
#include <cstdint>
#include <span>
#include <string_view>

namespace plist::detail {

// What a parsed tree weighs: kNodeCost per object (about what libplist allocates for a node)
// plus the bytes of its strings (as UTF-8) and data.
inline constexpr std::uint64_t kNodeCost = 64;

struct Limits {
  int depth = 0;              // containers inside containers, the outermost counting 1
  std::uint64_t entries = 0;  // elements of one array, key-value pairs of one dictionary
  std::uint64_t weight = 0;   // of the whole tree, every reference counted in full
};

// XML. Element nesting and the children of each element, with comments, CDATA, processing
// instructions and declarations skipped; a dictionary's children are its keys and values,
// so it may have twice `entries`. The weight is kNodeCost per element plus the document's
// bytes. Refuses a NUL byte anywhere, mismatched closing tags and tags it cannot delimit
// plainly.
bool xmlWithinLimits(std::string_view xml, const Limits& limits);

// bplist00, over the objects reachable from the top one, each shared object measured once.
// Refuses cycles, references and objects out of range, a string with a NUL, an ASCII string
// with a byte above 0x7F, a UTF-16 string with an unpaired surrogate (libplist would read it
// as empty), and an integer wider than 64 bits (libplist would keep its low half).
bool binaryWithinLimits(std::span<const std::uint8_t> bytes, const Limits& limits);

}  // namespace plist::detail
