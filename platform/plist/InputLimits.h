#pragma once
// Checks run on untrusted bytes before libplist parses them. libplist 2.2 recurses once per
// nesting level with no limit, gives every reference to a shared binary object a copy of its
// own, spends time quadratic in the keys of one XML dictionary (and, writing binary, in the
// objects of the whole tree), and aborts the process on a string holding a NUL (an
// assertion in plist_get_key_val and plist_get_string_val). A small hostile file would
// overflow the stack, exhaust memory or time, or stop the host. libplist also reads some
// texts and objects otherwise than other readers do, and a write-back would store its
// reading for all of them. Each check measures the shape and looks at the strings and at
// the texts libplist is lax with, leaving all decoding to libplist; when unsure it refuses.
// A refusal is only `false`: the caller reads the file as unreadable.

#include <cstddef>
#include <cstdint>
#include <span>
#include <string_view>

namespace plist::detail {

// What a parsed tree weighs: kNodeCost per object (about what libplist allocates for a node)
// plus the bytes of its strings (as UTF-8) and data.
inline constexpr std::uint64_t kNodeCost = 64;

// Bounds on the whole tree, in which each reference to a shared object counts with all it
// holds, as libplist copies it.
struct Limits {
  int depth = 0;              // containers inside containers, the outermost counting 1
  std::uint64_t objects = 0;  // values, keys included
  std::uint64_t weight = 0;
};

// XML (XmlInput.cpp). The nesting of containers (array, dict and plist elements) and the
// number of elements, with comments, CDATA, processing instructions and declarations
// skipped; the weight is kNodeCost per element plus the document's bytes. Refuses a NUL byte
// anywhere, mismatched closing tags, tags it cannot delimit plainly and an element inside
// one that is no container. It also refuses what libplist reads otherwise than other
// readers: an encoding declared other than UTF-8, a carriage return written as itself in the
// text of a string or key, an integer that is not a plain decimal within 64 bits, a date
// not of the form YYYY-MM-DDTHH:MM:SSZ with its fields in range.
bool xmlWithinLimits(std::string_view xml, const Limits& limits);

// bplist00, over the objects reachable from the top one, each shared object measured once.
// Refuses cycles, references and objects out of range, a set (libplist reads it as an
// array), a string with a NUL, an ASCII string with a byte above 0x7F, a UTF-16 string with
// an unpaired surrogate (libplist would read it as empty), and an integer wider than 64 bits
// (libplist would keep its low half).
bool binaryWithinLimits(std::span<const std::uint8_t> bytes, const Limits& limits);

}  // namespace plist::detail
