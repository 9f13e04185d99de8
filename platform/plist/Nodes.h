#pragma once
// Internal: values to libplist's nodes and back. Both directions refuse (nullopt, or a null
// node) whatever could not come back identical from a file: what the model has no kind for,
// a string that is not valid UTF-8 or holds a NUL, a date that is not finite or lies more
// than kMaxDateSeconds from 2001, an integer above INT64_MAX, nesting deeper than
// kMaxNesting. The bytes themselves are checked before parsing, in InputLimits.

#include "platform/plist/PropertyList.h"

#include <plist/plist.h>

#include <memory>
#include <optional>

namespace plist::detail {

// Dates further than this from 2001 (about 31700 years): libplist formats dates through
// gmtime, and none of ours needs more.
inline constexpr double kMaxDateSeconds = 1e12;

struct NodeDeleter {
  void operator()(void* node) const { plist_free(static_cast<plist_t>(node)); }
};
using Node = std::unique_ptr<void, NodeDeleter>;

std::optional<Value> toValue(plist_t node);

// For XML, also null for a date outside the years 1000 to 9999, which libplist writes as a
// text other readers refuse or read as another date, and for a string or key holding a
// character XML cannot carry (a control character other than tab, line feed and carriage
// return; U+FFFE, U+FFFF).
Node toNode(const Value& value, Format format);
Node toNode(const Dictionary& dictionary, Format format);

}  // namespace plist::detail
