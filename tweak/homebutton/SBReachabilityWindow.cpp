#include "tweak/homebutton/SBReachabilityWindow.h"

#include "platform/objc/Ref.h"
#include "tweak/Settings.h"

namespace hooks::SBReachabilityWindow {

id (*orig_initWithWallpaperVariant)(id, SEL, long long) = nullptr;

// A refusing initialiser releases the half-made receiver, as a failing init does.
id initWithWallpaperVariant(id self, SEL _cmd, long long variant) {
  if (isReachavilityDisabled) {
    objc::release(self);
    return nil;
  }
  return orig_initWithWallpaperVariant(self, _cmd, variant);
}

}  // namespace hooks::SBReachabilityWindow
