// SBReachabilityManager: the host's reachability. Toggling it on makes a reachability
// window; a window that cannot be made leaves reachability off. Toggling it off lets the
// window go. It also holds reachability's settings, which SpringBoard fills in at start.

#include "platform/core/EventLog.h"
#include "platform/core/HostCall.h"
#include "platform/core/HostClasses.h"
#include "platform/objc/ClassBuilder.h"
#include "platform/objc/Ref.h"
#include "platform/objc/Singleton.h"
#include "platform/springboard/Classes.h"
#include "platform/springboard/SpringBoard.h"

#include <cctype>

namespace springboard {

namespace {

using namespace objc::literals;
using objc::send;

// The variant of the wallpaper the window shows; the stand-in has one.
constexpr long long kWallpaperVariant = 1;

struct ReachabilityState {
  objc::Ref window;
  objc::Ref settings;
};

ReachabilityState& reachabilityOf(id self) { return objc::stateOf<ReachabilityState>(self); }

void toggle(id self, SEL sel) {
  core::recordHostCall(self, sel);
  ReachabilityState& reachability = reachabilityOf(self);
  if (reachability.window) {
    reachability.window.reset();
    core::record("reachability", "off", {{"active", false}});
    return;
  }
  Class windowClass = objc::getClass("SBReachabilityWindow");
  // A host whose window has no such initialiser makes none.
  const bool initialises = windowClass && class_getInstanceMethod(windowClass, "initWithWallpaperVariant:"_sel) != nullptr;
  id window = initialises ? send<id(long long)>(send<id()>(windowClass, "alloc"_sel), "initWithWallpaperVariant:"_sel,
                                                kWallpaperVariant)
                          : nil;
  if (window == nil) {
    core::record("reachability", "no window: stays off", {{"active", false}});
    return;
  }
  reachability.window = objc::Ref::adopt(window);
  core::record("reachability", "on", {{"active", true}});
}

id settings(id self, SEL) { return reachabilityOf(self).settings; }

}  // namespace

void detail::registerSBReachabilityManager() {
  core::defineHostClass("SBReachabilityManager", [](objc::ClassBuilder& c) {
    c.state<ReachabilityState>()
        .classMethod("sharedInstance"_sel, &objc::sharedInstanceMethod<"SBReachabilityManager">)
        .method("toggleReachability"_sel, &toggle)
        .method("settings"_sel, &settings);
  });
}

id reachabilityManager() {
  Class cls = objc::getClass("SBReachabilityManager");
  return cls ? send<id()>(cls, "sharedInstance"_sel) : nil;
}

bool reachabilityActive() {
  id manager = reachabilityManager();
  return manager != nil && reachabilityOf(manager).window;
}

bool storeReachabilitySetting(const std::string& setting, double value) {
  id manager = reachabilityManager();
  id settings = manager != nil ? reachabilityOf(manager).settings.get() : nil;
  if (settings == nil) return false;
  const std::string setter = "set" + std::string(1, static_cast<char>(std::toupper(setting.front()))) + setting.substr(1) + ":";
  send<void(double)>(settings, sel_registerName(setter.c_str()), value);
  return true;
}

void detail::setUpReachability() {
  id manager = reachabilityManager();
  Class settingsClass = objc::getClass("SBReachabilitySettings");
  if (manager == nil || settingsClass == Nil) return;
  objc::Ref made = objc::Ref::adopt(send<id()>(settingsClass, "new"_sel));
  reachabilityOf(manager).settings = made;
  objc::sendIfImplemented<void(double)>(made, "setYOffsetFactor:"_sel, kReachabilityYOffsetFactor);
  objc::sendIfImplemented<void(double)>(made, "setSystemWideSwipeDownHeight:"_sel, kReachabilitySwipeDownHeight);
}

}  // namespace springboard
