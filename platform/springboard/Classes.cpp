// Registers SpringBoard's classes, except those the device leaves out, and makes the
// application object.

#include "platform/springboard/Classes.h"

#include "platform/objc/Ref.h"
#include "platform/objc/Singleton.h"
#include "platform/springboard/SpringBoard.h"
#include "platform/uikit/UIKit.h"

#include <cstdio>

namespace springboard {

namespace detail {

id shared(const char* className) {
  Class cls = objc::getClass(className);
  return cls ? objc::sharedInstanceOf(objc::asId(cls)) : nil;
}

std::string yesNo(BOOL value) { return value ? "YES" : "NO"; }

std::string number(double value) {
  char text[32];
  std::snprintf(text, sizeof text, "%g", value);
  return text;
}

}  // namespace detail

void registerClasses() {
  using namespace objc::literals;
  uikit::registerClasses();
  detail::registerSpringBoard();
  detail::registerSBLockScreenManager();
  detail::registerSBDashBoardViewController();
  detail::registerSBBacklightController();
  detail::registerSBUIController();
  detail::registerSBIconController();
  detail::registerSBUIBiometricResource();
  detail::registerSBSystemGestureManager();
  detail::registerSBHomeHardwareButtonGestureRecognizerConfiguration();
  detail::registerSBHBDoubleTapUpGestureRecognizer();
  detail::registerSBHomeHardwareButton();
  detail::registerSBReachabilityManager();
  detail::registerSBReachabilityWindow();
  detail::registerSBReachabilitySettings();
  detail::registerSBRootFolderController();
  detail::registerSBCoverSheetWindow();

  if (Class app = objc::getClass("SpringBoard")) {
    objc::Ref application = objc::Ref::adopt(objc::send<id()>(app, "new"_sel));
    uikit::setSharedApplication(application);
  }
  detail::makeScreens();
}

void finishLaunching() {
  buildHomeButtonGestures();
  detail::setUpReachability();
}

}  // namespace springboard
