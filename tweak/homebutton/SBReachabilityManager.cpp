#include "tweak/homebutton/SBReachabilityManager.h"

#include "tweak/Settings.h"
#include "tweak/State.h"

namespace hooks::SBReachabilityManager {

void (*orig_toggleReachability)(id, SEL) = nullptr;

// The master switch is not consulted: reachability stays as the user set it.
void toggleReachability(id self, SEL _cmd) {
  if (isAllowTapOnScreenOffEnabled && reachavilityDisabled && isReachavilityDisabled) return;
  orig_toggleReachability(self, _cmd);
}

}  // namespace hooks::SBReachabilityManager
