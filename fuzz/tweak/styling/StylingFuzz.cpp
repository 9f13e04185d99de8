// The toggle styling's inputs from untrusted bytes, read as the tweak reads them: through
// NSDictionary's dictionaryWithContentsOfFile:, as the styling file (its flags and the
// scale) and as the settings file (the colour string, through LCPParseColorString). A file
// is read whole or not at all, every reading of a value is defined, and a colour always
// comes back.

#include "platform/core/DeviceRoot.h"
#include "platform/core/EventLog.h"
#include "platform/foundation/Foundation.h"
#include "platform/libcolorpicker/libcolorpicker.h"
#include "platform/objc/AutoreleasePool.h"
#include "platform/objc/Message.h"
#include "platform/uikit/UIKit.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <fstream>

namespace {

using namespace objc::literals;
using objc::send;

constexpr const char* kStylingFile = "/var/mobile/Library/Preferences/com.brel.corvel.plist";
constexpr const char* kSettingsFile = "/var/mobile/Library/Preferences/com.brel.tessaro.plist";

void place(const char* devicePath, const std::uint8_t* data, std::size_t size) {
  const auto host = core::resolve(devicePath);
  if (!host || !core::ensureParentDirectories(*host)) std::abort();
  std::ofstream(*host, std::ios::binary | std::ios::trunc).write(reinterpret_cast<const char*>(data),
                                                                static_cast<std::streamsize>(size));
}

id contentsOf(const char* devicePath) {
  return send<id(id)>(objc::getClass("NSDictionary"), "dictionaryWithContentsOfFile:"_sel,
                      foundation::makeString(devicePath).get());
}

id valueIn(id dictionary, const char* key) {
  return send<id(id)>(dictionary, "objectForKey:"_sel, foundation::makeString(key).get());
}

// host::flagIn and host::floatIn.
bool flagIn(id dictionary, const char* key) {
  id value = valueIn(dictionary, key);
  return objc::respondsTo(value, "boolValue"_sel) && send<BOOL()>(value, "boolValue"_sel);
}
float floatIn(id dictionary, const char* key) {
  id value = valueIn(dictionary, key);
  return objc::respondsTo(value, "floatValue"_sel) ? send<float()>(value, "floatValue"_sel) : 0.0f;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  static const bool registered = [] {
    uikit::registerClasses();
    return true;
  }();
  (void)registered;
  objc::AutoreleasePool pool;

  place(kStylingFile, data, size);
  id styling = send<id()>(objc::getClass("NSMutableDictionary"), "dictionary"_sel);
  send<void(id)>(styling, "addEntriesFromDictionary:"_sel, contentsOf(kStylingFile));
  for (const char* key : {"isEnabled", "isColoredTogglesEnabled", "isRandomColorEnabled", "isRoundIconsEnabled",
                          "isScaleToggleEnabled"}) {
    (void)flagIn(styling, key);
  }
  (void)floatIn(styling, "scaleToggle");

  place(kSettingsFile, data, size);
  id prefs = contentsOf(kSettingsFile);
  id color = LCPParseColorString(valueIn(prefs, "bgTessaroColor"), foundation::makeString("#D78449").get());
  if (!uikit::colorComponents(color)) std::abort();
  // Each read is an event; kept, they would grow the log with every input.
  core::eventLog().clear();
  return 0;
}
