// The application object, SpringBoard itself: its software button presses and the wake
// over the lock screen.

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

void simulateLockButtonPress(id, SEL) { pressLockButton(true); }
void simulateHomeButtonPress(id, SEL) { springboard::simulateHomeButtonPress(); }
void turnScreenOnOnDashBoardWithCompletion(id self, SEL sel, id) {
  recordHostCall(self, sel);
  turnScreenOnOverLockScreen("-[SpringBoard _turnScreenOnOnDashBoardWithCompletion:]");
}

}  // namespace

void registerSpringBoard() {
  core::defineHostClass("SpringBoard", [](objc::ClassBuilder& c) {
    c.method("_simulateLockButtonPress"_sel, &simulateLockButtonPress)
        .method("_simulateHomeButtonPress"_sel, &simulateHomeButtonPress)
        .method("_turnScreenOnOnDashBoardWithCompletion:"_sel, &turnScreenOnOnDashBoardWithCompletion);
  }, "UIApplication");
}

}  // namespace springboard::detail
