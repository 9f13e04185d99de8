#pragma once
// The display and its backlight: lit or dark. Every change is an event of the log
// ("display" "on"/"off"); turning it on wakes a sleeping device (see Power.h). Whoever lights
// it says so, so the timeline can tell a tweak's wake from the host's own.

#include <string>

namespace hardware {

class Display {
 public:
  bool isOn() const { return on_; }
  // Lights or darkens the display; `cause` names who did it ("SpringBoard", "lock button",
  // ...), empty when nobody in particular. A change to the state it already has is ignored.
  void set(bool on, const std::string& cause = {});

 private:
  bool on_ = true;
};

// The device's display. Lit at boot, as SpringBoard starts on the home screen.
Display& display();

}  // namespace hardware
