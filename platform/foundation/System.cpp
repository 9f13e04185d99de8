// NSProcessInfo (Low Power Mode) and NSFileManager (file tests on device paths).

#include "platform/core/EventLog.h"
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
BOOL isLowPowerModeEnabled(id, SEL) { return lowPowerModeEnabled ? YES : NO; }

id defaultManager(id cls, SEL sel) { return objc::sharedInstanceMethod<"NSFileManager">(cls, sel); }
BOOL fileExistsAtPath(id, SEL, id path) {
  auto devicePath = stringOf(path);
  if (!devicePath) return NO;
  auto hostPath = core::resolve(*devicePath);
  std::error_code error;
  return hostPath && std::filesystem::exists(*hostPath, error) ? YES : NO;
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
