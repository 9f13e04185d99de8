// Property lists from untrusted bytes, XML or binary: parsed or refused, never a crash, and
// what parses writes out and reads back the same.

#include "platform/plist/PropertyList.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <span>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  auto value = plist::parse(std::span<const std::uint8_t>(data, size));
  if (!value) return 0;
  // What the device writes it reads back: the round trip of a settings write-back.
  for (plist::Format format : {plist::Format::Xml, plist::Format::Binary}) {
    auto bytes = plist::serialize(*value, format);
    if (!bytes) continue;
    auto again = plist::parse(*bytes);
    if (!again || !(*again == *value)) std::abort();
  }
  return 0;
}
