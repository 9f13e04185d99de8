#include "tweak/host/Host.h"

#include "platform/foundation/CFNotificationCenter.h"
#include "platform/foundation/Literals.h"
#include "tweak/Settings.h"

namespace host {

using namespace objc::literals;
using namespace foundation::literals;
using objc::send;

#define TESSARO_HOST_CLASS(Name)                         \
  Class Name() {                                         \
    static const Class cls = objc_getClass(#Name);       \
    return cls;                                          \
  }

TESSARO_HOST_CLASS(SBLockScreenManager)
TESSARO_HOST_CLASS(SBBacklightController)
TESSARO_HOST_CLASS(SBUIController)
TESSARO_HOST_CLASS(SBIconController)
TESSARO_HOST_CLASS(SBHBDoubleTapUpGestureRecognizer)
TESSARO_HOST_CLASS(FBSystemGestureManager)
TESSARO_HOST_CLASS(UILongPressGestureRecognizer)
TESSARO_HOST_CLASS(TUCallCenter)
TESSARO_HOST_CLASS(NSProcessInfo)
TESSARO_HOST_CLASS(UIView)
TESSARO_HOST_CLASS(UIColor)

#undef TESSARO_HOST_CLASS

namespace {
id sharedInstance(Class cls) { return send<id()>(cls, "sharedInstance"_sel); }
Class classNamed(const char* name) { return objc_getClass(name); }
}  // namespace

BOOL isLowPowerModeEnabled() {
  return send<BOOL()>(send<id()>(NSProcessInfo(), "processInfo"_sel), "isLowPowerModeEnabled"_sel);
}
BOOL screenIsOn() { return send<BOOL()>(sharedInstance(SBBacklightController()), "screenIsOn"_sel); }
BOOL hasCurrentCalls() { return send<BOOL()>(sharedInstance(TUCallCenter()), "hasCurrentCalls"_sel); }
BOOL isBatteryCharging() { return send<BOOL()>(sharedInstance(SBUIController()), "isBatteryCharging"_sel); }
id lockScreenManager() { return sharedInstance(SBLockScreenManager()); }

id application() {
  static const Class cls = classNamed("UIApplication");
  return send<id()>(cls, "sharedApplication"_sel);
}
void simulateLockButtonPress() { send<void()>(application(), "_simulateLockButtonPress"_sel); }
void simulateHomeButtonPress() { send<void()>(application(), "_simulateHomeButtonPress"_sel); }

id scheduleTimer(double interval, id target, SEL action, BOOL repeats) {
  static const Class timerClass = classNamed("NSTimer");
  id timer = send<id(double, id, SEL, id, BOOL)>(timerClass, "scheduledTimerWithTimeInterval:target:selector:userInfo:repeats:"_sel,
                                                  interval, target, action, nil, repeats);
  return objc::retain(timer);
}

void endTimer(id& timer) {
  send<void()>(timer, "invalidate"_sel);
  objc::release(timer);
  timer = nil;
}

void postNotification(id name) {
  CFNotificationCenterPostNotification(CFNotificationCenterGetDarwinNotifyCenter(), name, nullptr, nil, 1);
}

id readSettingsFile() {
  static const Class dictionaryClass = classNamed("NSMutableDictionary");
  return send<id(id)>(send<id()>(dictionaryClass, "alloc"_sel), "initWithContentsOfFile:"_sel, settingsFilePath());
}

id readStylingFile() {
  static const Class mutableDictionaryClass = classNamed("NSMutableDictionary");
  static const Class dictionaryClass = classNamed("NSDictionary");
  static const Class fileManagerClass = classNamed("NSFileManager");
  id path = "/var/mobile/Library/Preferences/com.brel.corvel.plist"_ns;
  id styling = send<id()>(mutableDictionaryClass, "dictionary"_sel);
  if (send<BOOL(id)>(send<id()>(fileManagerClass, "defaultManager"_sel), "fileExistsAtPath:"_sel, path)) {
    send<void(id)>(styling, "addEntriesFromDictionary:"_sel, send<id(id)>(dictionaryClass, "dictionaryWithContentsOfFile:"_sel, path));
  }
  return styling;
}

bool flagIn(id dictionary, id key) {
  id value = send<id(id)>(dictionary, "objectForKey:"_sel, key);
  return objc::respondsTo(value, "boolValue"_sel) && send<BOOL()>(value, "boolValue"_sel);
}

float floatIn(id dictionary, id key) {
  id value = send<id(id)>(dictionary, "objectForKey:"_sel, key);
  return objc::respondsTo(value, "floatValue"_sel) ? send<float()>(value, "floatValue"_sel) : 0.0f;
}

void animateBlocks(double seconds, id changes, id completion) {
  send<void(double, id, id)>(UIView(), "animateWithDuration:animations:completion:"_sel, seconds, changes, completion);
}

id rootFolderView() {
  return send<id()>(send<id()>(sharedInstance(SBIconController()), "_rootFolderController"_sel), "rootFolderView"_sel);
}

}  // namespace host
