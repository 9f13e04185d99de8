// Property lists from untrusted bytes, XML or binary: parsed or refused, never a crash, and
// what parses writes out and reads back the same (XML keeps dates in whole seconds).

#include "platform/plist/PropertyList.h"

#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <span>

namespace {

// `value` as XML gives it back: every date without its fraction of a second.
plist::Value inWholeSeconds(const plist::Value& value) {
  if (const plist::Date* date = value.asDate()) return plist::Value(plist::Date{std::trunc(date->sinceReferenceDate)});
  if (const plist::Array* items = value.asArray()) {
    plist::Array copy;
    for (const plist::Value& item : *items) copy.push_back(inWholeSeconds(item));
    return plist::Value(std::move(copy));
  }
  if (const plist::Dictionary* entries = value.asDictionary()) {
    plist::Dictionary copy;
    for (const auto& [key, item] : *entries) copy.emplace(key, inWholeSeconds(item));
    return plist::Value(std::move(copy));
  }
  return value;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  auto value = plist::parse(std::span<const std::uint8_t>(data, size));
  if (!value) return 0;
  // What the device writes it reads back: the round trip of a settings write-back.
  for (plist::Format format : {plist::Format::Xml, plist::Format::Binary}) {
    auto bytes = plist::serialize(*value, format);
    if (!bytes) continue;
    auto again = plist::parse(*bytes);
    const plist::Value expected = format == plist::Format::Xml ? inWholeSeconds(*value) : *value;
    if (!again || !(*again == expected)) std::abort();
  }
  return 0;
}
