// UILongPressGestureRecognizer: `numberOfTapsRequired` short presses, each within the
// multi-press window of the last, then a press held for `minimumPressDuration`. Begins
// exactly once, when the held press reaches the duration, and ends at its release. Fails
// when the held press is released early, when a tap is held to the duration instead of
// released (the tap is missing), or when the next press comes too late.

#include "platform/hardware/HomeButton.h"
#include "platform/objc/ClassBuilder.h"
#include "platform/objc/Message.h"
#include "platform/uikit/Classes.h"
#include "platform/uikit/gestures/GestureState.h"
#include "platform/uikit/gestures/Recognizer.h"

namespace uikit::gestures {

namespace {

using namespace objc::literals;
using objc::send;

struct LongPressState {
  unsigned long numberOfTapsRequired = 0;
  double minimumPressDuration = 0.5;
  unsigned long taps = 0;  // short presses released so far
  bool holding = false;    // the press after the taps is down
};

LongPressState& pressOf(id self) { return objc::stateOf<LongPressState>(self); }

void setStateOf(id self, long long state) { send<void(long long)>(self, "setState:"_sel, state); }

void pressDown(id self, SEL, long long) {
  cancelTimers(self);
  LongPressState& press = pressOf(self);
  if (stateOf(self) != Possible) return;
  objc::Ref held{self};
  if (press.taps < press.numberOfTapsRequired) {
    // A tap held this long is no tap.
    after(self, press.minimumPressDuration, [held] {
      if (stateOf(held) == Possible) setStateOf(held, Failed);
    });
    return;
  }
  press.holding = true;
  after(self, press.minimumPressDuration, [held] {
    if (stateOf(held) == Possible && pressOf(held).holding) setStateOf(held, Began);
  });
}

void pressUp(id self, SEL, long long) {
  cancelTimers(self);
  LongPressState& press = pressOf(self);
  const long long state = stateOf(self);
  if (state == Began || state == Changed) {
    press.holding = false;
    setStateOf(self, Ended);
    return;
  }
  if (state != Possible) return;
  if (press.holding) {
    press.holding = false;
    setStateOf(self, Failed);  // released before the duration
    return;
  }
  ++press.taps;
  objc::Ref held{self};
  after(self, hardware::kMultiPressWindow, [held] {
    if (stateOf(held) == Possible) setStateOf(held, Failed);  // the next press came too late
  });
}

void reset(id self, SEL) {
  pressOf(self).taps = 0;
  pressOf(self).holding = false;
}

// NSUInteger, as in UIKit.
unsigned long numberOfTapsRequired(id self, SEL) { return pressOf(self).numberOfTapsRequired; }
void setNumberOfTapsRequired(id self, SEL, unsigned long taps) { pressOf(self).numberOfTapsRequired = taps; }
double minimumPressDuration(id self, SEL) { return pressOf(self).minimumPressDuration; }
void setMinimumPressDuration(id self, SEL, double seconds) { pressOf(self).minimumPressDuration = seconds > 0 ? seconds : 0; }

}  // namespace

}  // namespace uikit::gestures

namespace uikit::detail {

void registerUILongPressGestureRecognizer() {
  using namespace objc::literals;
  using namespace gestures;
  objc::ClassBuilder("UILongPressGestureRecognizer", "UIGestureRecognizer")
      .state<LongPressState>()
      .method("numberOfTapsRequired"_sel, &numberOfTapsRequired)
      .method("setNumberOfTapsRequired:"_sel, &setNumberOfTapsRequired)
      .method("minimumPressDuration"_sel, &minimumPressDuration)
      .method("setMinimumPressDuration:"_sel, &setMinimumPressDuration)
      .method("_pressDown:"_sel, &pressDown)
      .method("_pressUp:"_sel, &pressUp)
      .method("reset"_sel, &reset)
      .build();
}

}  // namespace uikit::detail
