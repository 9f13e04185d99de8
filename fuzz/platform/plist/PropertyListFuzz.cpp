// Property lists from untrusted bytes, XML or binary: parsed or refused, never a crash. What
// parses, a write-back stores and reads back bit for bit (XmlOrBinary always can); each
// format alone either refuses a value or gives it back identical, never another value.

#include "platform/plist/PropertyList.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <span>

namespace {

bool readsBackIdentical(const plist::Value& value, plist::Format format, bool mustStore) {
  const auto bytes = plist::serialize(value, format);
  if (!bytes) return !mustStore;
  const auto again = plist::parse(*bytes);
  return again && plist::identical(*again, value);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const auto value = plist::parse(std::span<const std::uint8_t>(data, size));
  if (!value) return 0;
  if (!readsBackIdentical(*value, plist::Format::XmlOrBinary, true)) std::abort();
  if (!readsBackIdentical(*value, plist::Format::Xml, false)) std::abort();
  if (!readsBackIdentical(*value, plist::Format::Binary, false)) std::abort();
  return 0;
}
