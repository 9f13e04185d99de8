#pragma once
// The stand-in ControlCenterUIKit: toggle modules, their view controllers, and the
// overlay that presents Control Center.

namespace controlcenter {
void registerClasses();
}
