// SBReachabilityWindow: the window reachability shows the shifted content in.

#include "platform/core/HostCall.h"
#include "platform/core/HostClasses.h"
#include "platform/objc/ClassBuilder.h"
#include "platform/objc/Singleton.h"
#include "platform/springboard/Classes.h"
#include "platform/springboard/SpringBoard.h"

namespace springboard::detail {
namespace {
using namespace objc::literals;
id initWithWallpaperVariant(id self, SEL sel, long long variant) {
  core::recordHostCall(self, sel, std::to_string(variant), {{"variant", variant}});
  return self;
}
}  // namespace

void registerSBReachabilityWindow() {
  core::defineHostClass("SBReachabilityWindow", [](objc::ClassBuilder& c) {
    c.method("initWithWallpaperVariant:"_sel, &initWithWallpaperVariant);
  });
}

}  // namespace springboard::detail
