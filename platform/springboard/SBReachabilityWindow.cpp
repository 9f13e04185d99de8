// SBReachabilityWindow: the window reachability shows the shifted content in.

#include "platform/core/HostCall.h"
#include "platform/core/HostClasses.h"
#include "platform/core/EventLog.h"
#include "platform/objc/ClassBuilder.h"
#include "platform/springboard/Classes.h"

namespace springboard::detail {

namespace {

using namespace objc::literals;

struct WindowState {
  long long variant = 0;
  ~WindowState() { core::record("reachability", "window released", {{"variant", variant}}); }
};

id initWithWallpaperVariant(id self, SEL sel, long long variant) {
  core::recordHostCall(self, sel, std::to_string(variant), {{"variant", variant}});
  objc::stateOf<WindowState>(self).variant = variant;
  return self;
}

}  // namespace

void registerSBReachabilityWindow() {
  core::defineHostClass("SBReachabilityWindow", [](objc::ClassBuilder& c) {
    c.state<WindowState>().method("initWithWallpaperVariant:"_sel, &initWithWallpaperVariant);
  });
}

}  // namespace springboard::detail
