#pragma once
// The device watches a few methods a loaded library added to the host, as a debugger's
// breakpoint would. The home button's actions are recorded as they are called (kind
// "tweak", "-[Class selector]"), so that a timeline shows what the tweak was asked to
// decide. The classification step and the two time-out actions are watched silently: a
// tool can ask which of them is running when an effect happens (who lit the display), and
// be called around each classification step. Methods the library did not add are left
// alone.

#include "platform/objc/Runtime.h"

#include <functional>
#include <string_view>

namespace device {

void traceAddedMethods();

// The innermost watched method running now ("-[SBLockScreenManager updateMotionType]"),
// or empty.
std::string_view watchedCallInProgress();

// Called before and after each -[SBLockScreenManager updateMotionType], with its receiver.
// Empty functions: not called.
void setClassificationObserver(std::function<void(id)> before, std::function<void(id)> after);

}  // namespace device
