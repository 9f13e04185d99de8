#include "platform/frontboard/FrontBoard.h"

#include "platform/frontboard/Classes.h"
#include "platform/hardware/HomeButton.h"
#include "platform/uikit/UIKit.h"
#include "platform/uikit/gestures/GestureEnvironment.h"

namespace frontboard {

uikit::GestureEnvironment& detail::mainEnvironment() {
  static auto* environment = new uikit::GestureEnvironment();
  return *environment;
}

void registerClasses(GestureManager manager) {
  uikit::registerClasses();
  detail::registerFBSDisplayIdentity();
  detail::registerFBSDisplay();
  detail::registerFBSystemGestureManager(manager);
  // The display hears the home button from the start; what is attached sees its presses.
  hardware::homeButton().addReceiver([](const hardware::Press& press) { detail::mainEnvironment().deliver(press); });
}

const std::vector<objc::Ref>& attachedRecognizers() { return detail::mainEnvironment().recognizers(); }

}  // namespace frontboard
