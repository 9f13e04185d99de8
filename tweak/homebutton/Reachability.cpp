#include "tweak/homebutton/Reachability.h"

// Reachability suppression is not built yet: every replacement only calls through.

namespace hooks::SBReachabilityManager {
void (*orig_toggleReachability)(id, SEL) = nullptr;
void toggleReachability(id self, SEL _cmd) { orig_toggleReachability(self, _cmd); }
}  // namespace hooks::SBReachabilityManager

namespace hooks::SBReachabilityWindow {
id (*orig_initWithWallpaperVariant)(id, SEL, long long) = nullptr;
id initWithWallpaperVariant(id self, SEL _cmd, long long variant) {
  return orig_initWithWallpaperVariant(self, _cmd, variant);
}
}  // namespace hooks::SBReachabilityWindow

namespace hooks::SBReachabilitySettings {
void (*orig_setYOffsetFactor)(id, SEL, double) = nullptr;
void setYOffsetFactor(id self, SEL _cmd, double factor) { orig_setYOffsetFactor(self, _cmd, factor); }
void (*orig_setSystemWideSwipeDownHeight)(id, SEL, double) = nullptr;
void setSystemWideSwipeDownHeight(id self, SEL _cmd, double height) {
  orig_setSystemWideSwipeDownHeight(self, _cmd, height);
}
}  // namespace hooks::SBReachabilitySettings
