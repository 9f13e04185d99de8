// NSProcessInfo (Low Power Mode) and NSFileManager (file tests on device paths).

#include "platform/core/EventLog.h"
#include "platform/core/HostCall.h"
#include "platform/foundation/Classes.h"
#include "platform/core/DeviceRoot.h"
#include "platform/foundation/Foundation.h"
#include "platform/objc/ClassBuilder.h"
#include "platform/objc/Message.h"
#include "platform/objc/Singleton.h"

#include <filesystem>

namespace foundation {
namespace {

using namespace objc::literals;
using objc::send;

bool lowPowerModeEnabled = false;

id processInfo(id cls, SEL sel) { return objc::sharedInstanceMethod<"NSProcessInfo">(cls, sel); }
BOOL isLowPowerModeEnabled(id self, SEL sel) {
  core::recordAnswer(self, sel, lowPowerModeEnabled);
  return lowPowerModeEnabled ? YES : NO;
}

id defaultManager(id cls, SEL sel) { return objc::sharedInstanceMethod<"NSFileManager">(cls, sel); }
BOOL fileExistsAtPath(id self, SEL sel, id path) {
  auto devicePath = stringOf(path);
  auto hostPath = devicePath ? core::resolve(*devicePath) : std::nullopt;
  std::error_code error;
  const bool exists = hostPath && std::filesystem::exists(*hostPath, error);
  if (core::queriesShown()) {
    core::recordQuery(self, sel, devicePath.value_or("(not a path)"), core::yesNo(exists), {{"value", exists}});
  }
  return exists ? YES : NO;
}

}  // namespace

void setLowPowerMode(bool enabled) {
  if (enabled == lowPowerModeEnabled) return;
  lowPowerModeEnabled = enabled;
  core::record("lowPowerMode", enabled ? "on" : "off", {{"on", enabled}});
}

bool lowPowerMode() { return lowPowerModeEnabled; }

namespace detail {

void registerSystemClasses() {
  objc::ClassBuilder("NSProcessInfo", objc::rootClass())
      .classMethod("processInfo"_sel, &processInfo)
      .method("isLowPowerModeEnabled"_sel, &isLowPowerModeEnabled)
      .build();
  objc::ClassBuilder("NSFileManager", objc::rootClass())
      .classMethod("defaultManager"_sel, &defaultManager)
      .method("fileExistsAtPath:"_sel, &fileExistsAtPath)
      .build();
}

}  // namespace detail
}  // namespace foundation
