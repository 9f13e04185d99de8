// SBHomeHardwareButton: builds the home button's gesture recognizers from a configuration,
// handles the host's double-tap-up, and answers as their delegate. Also SpringBoard's own
// reaction to the physical button, which in this stand-in does not go through recognizers:
// a press on a dark display lights it only when the device is set to (as a stock phone
// does), and a click on a lit, unlocked device closes Control Center or goes home.

#include "platform/controlcenter/ControlCenter.h"
#include "platform/core/HostCall.h"
#include "platform/core/HostClasses.h"
#include "platform/foundation/Foundation.h"
#include "platform/frontboard/FrontBoard.h"
#include "platform/hardware/Display.h"
#include "platform/hardware/HomeButton.h"
#include "platform/objc/ClassBuilder.h"
#include "platform/objc/Encoding.h"
#include "platform/objc/Ivar.h"
#include "platform/objc/Ref.h"
#include "platform/objc/Singleton.h"
#include "platform/springboard/Classes.h"
#include "platform/uikit/gestures/GestureEnvironment.h"
#include "platform/springboard/SpringBoard.h"

#include <algorithm>
#include <cstdlib>

namespace springboard {

namespace {

using namespace objc::literals;
using core::recordHostCall;
using objc::send;

struct ButtonState {
  objc::Ref configuration;
};

void doubleTapUp(id self, SEL sel, id) { recordHostCall(self, sel); }

// The host's own recognizers: the configuration's double-tap-up recognizer, attached to
// the display through the system gesture manager, whichever message the manager answers.
void createGestureRecognizers(id self, SEL sel, id configuration) {
  recordHostCall(self, sel);
  id recognizer = send<id()>(configuration, "doubleTapUpGestureRecognizer"_sel);
  id systemGestureManager = send<id()>(configuration, "systemGestureManager"_sel);
  Class managerClass = objc::getClass("FBSystemGestureManager");
  id manager = managerClass ? send<id()>(managerClass, "sharedInstance"_sel) : nil;
  if (recognizer == nil || manager == nil) return;
  if (objc::respondsTo(manager, "addGestureRecognizer:toDisplayWithIdentity:"_sel)) {
    id* identity = objc::ivarPointer<id>(systemGestureManager, "_displayIdentity");
    send<void(id, id)>(manager, "addGestureRecognizer:toDisplayWithIdentity:"_sel, recognizer, identity ? *identity : nil);
  } else if (objc::respondsTo(manager, "addGestureRecognizer:toDisplay:"_sel)) {
    send<void(id, id)>(manager, "addGestureRecognizer:toDisplay:"_sel, recognizer,
                       send<id()>(systemGestureManager, "display"_sel));
  }
}

void setGestureRecognizerConfiguration(id self, SEL sel, id configuration) {
  recordHostCall(self, sel);
  objc::stateOf<ButtonState>(self).configuration = objc::Ref(configuration);
}

id gestureRecognizerConfiguration(id self, SEL) { return objc::stateOf<ButtonState>(self).configuration; }

// The host lets none of its recognizers work alongside another.
BOOL shouldRecognizeSimultaneously(id, SEL, id, id) {
  uikit::noteOwnDelegateAnswer();
  return NO;
}

id newInstance(const char* className) {
  Class cls = objc::getClass(className);
  return cls ? send<id()>(cls, "new"_sel) : nil;
}

void hearHomeButton(const hardware::Press& press) {
  if (press.phase == hardware::Press::Down) {
    if (!hardware::display().isOn() && state().homeButtonWakesDisplay) turnScreenOnOverLockScreen("SpringBoard (home button)");
    return;
  }
  if (hardware::display().isOn()) detail::homeClickOnLitDisplay();
}

}  // namespace

namespace detail {

// A click closes Control Center, as it does on a phone; otherwise it goes home. On the lock
// screen it does nothing.
void homeClickOnLitDisplay() {
  if (state().lockScreenUp) return;
  if (controlcenter::isPresented()) {
    controlcenter::dismiss();
    return;
  }
  core::record("screen", "home screen", {{"screen", "home"}});
}

void registerSBHomeHardwareButton() {
  core::defineHostClass("SBHomeHardwareButton", [](objc::ClassBuilder& c) {
    c.state<ButtonState>()
        .classMethod("sharedInstance"_sel, &objc::sharedInstanceMethod<"SBHomeHardwareButton">)
        .method("doubleTapUp:"_sel, &doubleTapUp)
        .method("_createGestureRecognizersWithConfiguration:"_sel, &createGestureRecognizers)
        .method("setGestureRecognizerConfiguration:"_sel, &setGestureRecognizerConfiguration)
        .method("gestureRecognizerConfiguration"_sel, &gestureRecognizerConfiguration)
        .method("gestureRecognizer:shouldRecognizeSimultaneouslyWithGestureRecognizer:"_sel,
                &shouldRecognizeSimultaneously);
  });
  hardware::homeButton().addReceiver(&hearHomeButton);
}

}  // namespace detail

id homeHardwareButton() {
  Class cls = objc::getClass("SBHomeHardwareButton");
  return cls ? send<id()>(cls, "sharedInstance"_sel) : nil;
}

HomeGestures homeGestures() {
  HomeGestures gestures;
  for (const objc::Ref& recognizer : frontboard::attachedRecognizers()) gestures.attached.push_back(recognizer.get());
  id configuration = send<id()>(homeHardwareButton(), "gestureRecognizerConfiguration"_sel);
  if (configuration == nil) return gestures;
  unsigned int count = 0;
  Method* methods = class_copyMethodList(objc::classOf(configuration), &count);
  for (unsigned int i = 0; i < count; ++i) {
    const std::string name = sel_getName(method_getName(methods[i]));
    const char* types = method_getTypeEncoding(methods[i]);
    if (!name.ends_with("GestureRecognizer") || types == nullptr || !objc::sameEncoding(types, "@@:")) continue;
    gestures.byGetter.emplace_back(name, send<id()>(configuration, method_getName(methods[i])));
  }
  std::free(methods);
  std::sort(gestures.byGetter.begin(), gestures.byGetter.end(),
            [](const auto& a, const auto& b) { return a.first < b.first; });
  return gestures;
}

void buildHomeButtonGestures() {
  id button = homeHardwareButton();
  if (button == nil) return;
  objc::Ref configuration = objc::Ref::adopt(newInstance("SBHomeHardwareButtonGestureRecognizerConfiguration"));
  objc::Ref doubleTapUp;
  if (Class cls = objc::getClass("SBHBDoubleTapUpGestureRecognizer")) {
    doubleTapUp = objc::Ref::adopt(
        send<id(id, SEL)>(send<id()>(cls, "alloc"_sel), "initWithTarget:action:"_sel, button, "doubleTapUp:"_sel));
    send<void(long long)>(doubleTapUp, "setClickCount:"_sel, 2);
    send<void(id)>(doubleTapUp, "setDelegate:"_sel, button);
    objc::Ref types = foundation::toObject(plist::Value(plist::Array{plist::Value(hardware::kHomePressType)}));
    send<void(id)>(doubleTapUp, "setAllowedPressTypes:"_sel, types.get());
  }
  send<void(id)>(configuration, "setDoubleTapUpGestureRecognizer:"_sel, doubleTapUp.get());
  Class managerClass = objc::getClass("SBSystemGestureManager");
  send<void(id)>(configuration, "setSystemGestureManager:"_sel,
                 managerClass ? send<id()>(managerClass, "mainDisplayManager"_sel) : nil);
  objc::sendIfImplemented<void(id)>(button, "_createGestureRecognizersWithConfiguration:"_sel, configuration.get());
  objc::sendIfImplemented<void(id)>(button, "setGestureRecognizerConfiguration:"_sel, configuration.get());
}

}  // namespace springboard
