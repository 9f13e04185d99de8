#include "platform/hardware/HomeButton.h"

#include "platform/core/EventLog.h"
#include "platform/core/RunLoop.h"

namespace hardware {

void HomeButton::down() {
  if (down_) return;
  down_ = true;
  send(Press::Down);
}

void HomeButton::up() {
  if (!down_) return;
  down_ = false;
  send(Press::Up);
}

void HomeButton::send(Press::Phase phase) {
  const bool pressed = phase == Press::Down;
  core::record("button", pressed ? "home down" : "home up", {{"button", "home"}, {"down", pressed}, {"simulated", false}});
  const Press press{phase, kHomePressType, core::RunLoop::main().now()};
  // A receiver added while a press is delivered hears the next one.
  const std::vector<Receiver> receivers = receivers_;
  for (const Receiver& receiver : receivers) receiver(press);
}

HomeButton& homeButton() {
  static auto* button = new HomeButton();
  return *button;
}

}  // namespace hardware
