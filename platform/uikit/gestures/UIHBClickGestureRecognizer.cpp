// UIHBClickGestureRecognizer: a discrete recognizer of `clickCount` clicks of a hardware
// button. Recognized at the release of the last click; fails when the multi-press window
// passes before the next click, or at a click more than it counts.

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

struct ClickState {
  long long clickCount = 1;
  long long clicks = 0;  // released clicks of the gesture so far
};

ClickState& clicksOf(id self) { return objc::stateOf<ClickState>(self); }

void fail(id self) { send<void(long long)>(self, "setState:"_sel, Failed); }

void pressDown(id self, SEL, long long) {
  cancelTimers(self);
  if (stateOf(self) != Possible) return;
  if (clicksOf(self).clicks >= clicksOf(self).clickCount) fail(self);
}

void pressUp(id self, SEL, long long) {
  ClickState& click = clicksOf(self);
  if (stateOf(self) != Possible) return;
  if (++click.clicks >= click.clickCount) {
    send<void(long long)>(self, "setState:"_sel, Ended);
    return;
  }
  objc::Ref held{self};
  after(self, hardware::kMultiPressWindow, [held] {
    if (stateOf(held) == Possible) fail(held);
  });
}

void reset(id self, SEL) { clicksOf(self).clicks = 0; }

long long clickCount(id self, SEL) { return clicksOf(self).clickCount; }
void setClickCount(id self, SEL, long long count) { clicksOf(self).clickCount = count > 0 ? count : 1; }

}  // namespace

}  // namespace uikit::gestures

namespace uikit::detail {

void registerUIHBClickGestureRecognizer() {
  using namespace objc::literals;
  using namespace gestures;
  objc::ClassBuilder("UIHBClickGestureRecognizer", "UIGestureRecognizer")
      .state<ClickState>()
      .method("clickCount"_sel, &clickCount)
      .method("setClickCount:"_sel, &setClickCount)
      .method("_pressDown:"_sel, &pressDown)
      .method("_pressUp:"_sel, &pressUp)
      .method("reset"_sel, &reset)
      .build();
}

}  // namespace uikit::detail
