// FBSystemGestureManager: attaches gesture recognizers to a display, so that they see its
// hardware-button presses whether the display is lit or dark.

#include "platform/core/HostCall.h"
#include "platform/core/HostClasses.h"
#include "platform/frontboard/Classes.h"
#include "platform/objc/ClassBuilder.h"
#include "platform/objc/Singleton.h"
#include "platform/uikit/gestures/GestureEnvironment.h"

namespace frontboard {

namespace {

using namespace objc::literals;

// The device has one display; a recognizer meant for another is recorded and refused.
void attach(id self, SEL sel, id recognizer, bool toMain) {
  const std::string name = uikit::describeRecognizer(recognizer);
  if (!toMain) {
    core::recordHostCall(self, sel, name + " (not the main display: not attached)", {{"attached", false}});
    return;
  }
  const bool attached = detail::mainEnvironment().attach(recognizer);
  core::recordHostCall(self, sel, name + (attached ? "" : " (attached already)"), {{"attached", attached}});
}

void addToDisplayWithIdentity(id self, SEL sel, id recognizer, id identity) {
  attach(self, sel, recognizer, identity != nil && identity == mainDisplayIdentity());
}

void addToDisplay(id self, SEL sel, id recognizer, id display) {
  attach(self, sel, recognizer, display != nil && display == mainDisplay());
}

}  // namespace

void detail::registerFBSystemGestureManager(GestureManager manager) {
  core::defineHostClass("FBSystemGestureManager", [manager](objc::ClassBuilder& c) {
    c.classMethod("sharedInstance"_sel, &objc::sharedInstanceMethod<"FBSystemGestureManager">);
    if (manager == GestureManager::Current) {
      c.method("addGestureRecognizer:toDisplayWithIdentity:"_sel, &addToDisplayWithIdentity);
    } else {
      c.method("addGestureRecognizer:toDisplay:"_sel, &addToDisplay);
    }
  });
}

}  // namespace frontboard
