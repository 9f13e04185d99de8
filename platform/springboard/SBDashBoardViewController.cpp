// SBDashBoardViewController, the lock screen's controller: screen-off mode, the display
// about to turn on, fingerprint events, the end of an unlock.

#include "platform/core/HostCall.h"
#include "platform/core/HostClasses.h"
#include "platform/objc/ClassBuilder.h"
#include "platform/objc/Singleton.h"
#include "platform/springboard/Classes.h"
#include "platform/springboard/SpringBoard.h"

namespace springboard::detail {
namespace {

using namespace objc::literals;
using core::recordHostCall;

void displayWillTurnOnWhileOnDashBoard(id self, SEL sel, id) { recordHostCall(self, sel); }
void handleBiometricEvent(id self, SEL sel, long long event) {
  recordHostCall(self, sel, std::to_string(event), {{"event", event}});
}
void setInScreenOffMode(id self, SEL sel, BOOL screenOff, BOOL autoUnlock, int source) {
  recordHostCall(self, sel, yesNo(screenOff), {{"screenOff", screenOff == YES}, {"autoUnlock", autoUnlock == YES}, {"source", source}});
}
void finishUIUnlockFromSource(id self, SEL sel, int source) { recordHostCall(self, sel, "", {{"source", source}}); }

}  // namespace

void registerSBDashBoardViewController() {
  core::defineHostClass("SBDashBoardViewController", [](objc::ClassBuilder& c) {
    c.method("_displayWillTurnOnWhileOnDashBoard:"_sel, &displayWillTurnOnWhileOnDashBoard)
        .method("handleBiometricEvent:"_sel, &handleBiometricEvent)
        .method("setInScreenOffMode:forAutoUnlock:fromUnlockSource:"_sel, &setInScreenOffMode)
        .method("finishUIUnlockFromSource:"_sel, &finishUIUnlockFromSource);
  });
}

}  // namespace springboard::detail
