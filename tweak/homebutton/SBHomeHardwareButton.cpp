#include "tweak/homebutton/SBHomeHardwareButton.h"

#include "platform/objc/Message.h"
#include "platform/objc/Ref.h"
#include "platform/substrate/Substrate.h"
#include "tweak/ScreenWake.h"
#include "tweak/Settings.h"
#include "tweak/State.h"
#include "tweak/host/Host.h"

using namespace objc::literals;
using objc::send;

namespace hooks::SBHomeHardwareButton {

namespace {

constexpr double kHoldSeconds = 0.4;
// UIGestureRecognizerStateBegan: a held press has just reached its minimum duration.
constexpr long long kStateBegan = 1;

// Hands the recognizer to the system gesture manager, so that it sees the display's
// presses even while the display is off. Without a display identity to give, the older
// message is tried before giving up.
void attachToDisplay(id recognizer, id systemGestureManager) {
  id manager = send<id()>(host::FBSystemGestureManager(), "sharedInstance"_sel);
  if (objc::respondsTo(manager, "addGestureRecognizer:toDisplayWithIdentity:"_sel)) {
    if (id* identity = MSHookIvar<id>(systemGestureManager, "_displayIdentity")) {
      send<void(id, id)>(manager, "addGestureRecognizer:toDisplayWithIdentity:"_sel, recognizer, *identity);
      return;
    }
  }
  if (objc::respondsTo(manager, "addGestureRecognizer:toDisplay:"_sel)) {
    send<void(id, id)>(manager, "addGestureRecognizer:toDisplay:"_sel, recognizer,
                       send<id()>(systemGestureManager, "display"_sel));
  }
}

// A new long-press recognizer of the tweak's, its action sent to the button.
void createLongPress(id self, id configuration, SEL action, unsigned long taps, SEL store) {
  id doubleTapUp = send<id()>(configuration, "doubleTapUpGestureRecognizer"_sel);
  id systemGestureManager = send<id()>(configuration, "systemGestureManager"_sel);
  objc::Ref recognizer = objc::Ref::adopt(send<id(id, SEL)>(
      send<id()>(host::UILongPressGestureRecognizer(), "alloc"_sel), "initWithTarget:action:"_sel, self, action));
  send<void(id)>(recognizer, "setDelegate:"_sel, self);
  send<void(unsigned long)>(recognizer, "setNumberOfTapsRequired:"_sel, taps);
  send<void(double)>(recognizer, "setMinimumPressDuration:"_sel, kHoldSeconds);
  send<void(id)>(recognizer, "setAllowedPressTypes:"_sel, send<id()>(doubleTapUp, "allowedPressTypes"_sel));
  attachToDisplay(recognizer, systemGestureManager);
  send<void(id)>(configuration, store, recognizer.get());
}

// The master switch, the home-button mode, the chosen gesture, and the time-out.
bool chosen(int mode) { return isEnabled && isAllowTapOnScreenOffEnabled && tapToWakeMode == mode && !disabled; }

// The tweak's three recognizers, tap-and-hold first: the single tap waits on the other two.
void createAll(id self, id configuration, bool onlyMissing) {
  struct Creation {
    SEL getter;
    SEL create;
  };
  const Creation creations[] = {
      {"tapAndHoldTapGestureRecognizer"_sel, "createTapAndHoldGestureRecognizerWithConf:"_sel},
      {"longTapGestureRecognizer"_sel, "createLongTapGestureRecognizerWithConf:"_sel},
      {"singleTapGestureRecognizer"_sel, "createSingleTapGestureRecognizerWithConf:"_sel},
  };
  for (const Creation& creation : creations) {
    if (onlyMissing && send<id()>(configuration, creation.getter) != nil) continue;
    send<void(id)>(self, creation.create, configuration);
  }
}

}  // namespace

void (*orig_doubleTapUp)(id, SEL, id) = nullptr;
void (*orig_createGestureRecognizersWithConfiguration)(id, SEL, id) = nullptr;
void (*orig_setGestureRecognizerConfiguration)(id, SEL, id) = nullptr;
BOOL (*orig_shouldRecognizeSimultaneously)(id, SEL, id, id) = nullptr;

// The flags first, then the display, and Low Power Mode only for a dark display.
void performTheAction(id, SEL) {
  if (disableActions) return;
  if (isEnabled && isAllowTapOnScreenOffEnabled && !host::screenIsOn() && !host::isLowPowerModeEnabled()) {
    if (isVibrationEnabled) hapticVibe();
    wakeScreen();
  }
}

// The host's own double press is handled in every case, after the tweak's wake.
void doubleTapUp(id self, SEL _cmd, id recognizer) {
  if (isEnabled && isAllowTapOnScreenOffEnabled && tapToWakeMode == 1 && !host::screenIsOn() && !disabled) {
    send<void()>(self, "performTheAction"_sel);
  }
  orig_doubleTapUp(self, _cmd, recognizer);
}

void singleTapUpFired(id self, SEL, id) {
  if (chosen(0)) send<void()>(self, "performTheAction"_sel);
}

// A held press reports began once; its later states do nothing.
void longTapFired(id self, SEL, id recognizer) {
  if (chosen(2) && send<long long()>(recognizer, "state"_sel) == kStateBegan) send<void()>(self, "performTheAction"_sel);
}

void tapAndHoldFired(id self, SEL, id recognizer) {
  if (chosen(3) && send<long long()>(recognizer, "state"_sel) == kStateBegan) send<void()>(self, "performTheAction"_sel);
}

void createSingleTapGestureRecognizerWithConf(id self, SEL, id configuration) {
  Class recognizerClass = host::SBHBDoubleTapUpGestureRecognizer();
  if (recognizerClass == Nil) return;  // nothing to make; the next configuration tries again
  id doubleTapUp = send<id()>(configuration, "doubleTapUpGestureRecognizer"_sel);
  id systemGestureManager = send<id()>(configuration, "systemGestureManager"_sel);
  objc::Ref recognizer = objc::Ref::adopt(send<id(id, SEL)>(send<id()>(recognizerClass, "alloc"_sel),
                                                            "initWithTarget:action:"_sel, self, "singleTapUpFired:"_sel));
  send<void(id)>(recognizer, "setDelegate:"_sel, self);
  send<void(id)>(recognizer, "requireGestureRecognizerToFail:"_sel, send<id()>(configuration, "longTapGestureRecognizer"_sel));
  send<void(id)>(recognizer, "requireGestureRecognizerToFail:"_sel,
                 send<id()>(configuration, "tapAndHoldTapGestureRecognizer"_sel));
  send<void(id)>(recognizer, "requireGestureRecognizerToFail:"_sel, doubleTapUp);
  send<void(id)>(recognizer, "setAllowedPressTypes:"_sel, send<id()>(doubleTapUp, "allowedPressTypes"_sel));
  send<void(long long)>(recognizer, "setClickCount:"_sel, 1);
  attachToDisplay(recognizer, systemGestureManager);
  send<void(id)>(configuration, "setSingleTapGestureRecognizer:"_sel, recognizer.get());
}

void createLongTapGestureRecognizerWithConf(id self, SEL, id configuration) {
  createLongPress(self, configuration, "longTapFired:"_sel, 0, "setLongTapGestureRecognizer:"_sel);
}

void createTapAndHoldGestureRecognizerWithConf(id self, SEL, id configuration) {
  createLongPress(self, configuration, "tapAndHoldFired:"_sel, 1, "setTapAndHoldTapGestureRecognizer:"_sel);
}

// Every configuration the host builds gets the tweak's three recognizers anew.
void createGestureRecognizersWithConfiguration(id self, SEL _cmd, id configuration) {
  orig_createGestureRecognizersWithConfiguration(self, _cmd, configuration);
  if (isAllowTapOnScreenOffEnabled) createAll(self, configuration, false);
}

// A configuration the button receives keeps the recognizers it holds.
void setGestureRecognizerConfiguration(id self, SEL _cmd, id configuration) {
  orig_setGestureRecognizerConfiguration(self, _cmd, configuration);
  if (isAllowTapOnScreenOffEnabled) createAll(self, configuration, true);
}

// The single and long taps may recognize together, and so may the host's double tap and the
// tap-and-hold; any other pair is the host's to answer.
BOOL shouldRecognizeSimultaneously(id self, SEL _cmd, id first, id second) {
  id configuration = send<id()>(self, "gestureRecognizerConfiguration"_sel);
  id singleTap = send<id()>(configuration, "singleTapGestureRecognizer"_sel);
  id longTap = send<id()>(configuration, "longTapGestureRecognizer"_sel);
  id tapAndHold = send<id()>(configuration, "tapAndHoldTapGestureRecognizer"_sel);
  id doubleTapUp = send<id()>(configuration, "doubleTapUpGestureRecognizer"_sel);
  auto is = [&](id a, id b) { return first == a && second == b; };
  if (is(singleTap, longTap) || is(longTap, singleTap) || is(doubleTapUp, tapAndHold) || is(tapAndHold, doubleTapUp)) {
    return YES;
  }
  return orig_shouldRecognizeSimultaneously(self, _cmd, first, second);
}

}  // namespace hooks::SBHomeHardwareButton
