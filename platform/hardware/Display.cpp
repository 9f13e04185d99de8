#include "platform/hardware/Display.h"

#include "platform/core/EventLog.h"
#include "platform/hardware/Power.h"

namespace hardware {

void Display::set(bool on, const std::string& cause) {
  if (on == on_) return;
  on_ = on;
  nlohmann::json fields{{"on", on}};
  if (!cause.empty()) fields["by"] = cause;
  core::record("display", on ? "on" : "off", std::move(fields));
  if (on) power().wake();
}

Display& display() {
  static auto* instance = new Display();
  return *instance;
}

}  // namespace hardware
