#pragma once
// The stand-in FrontBoard: the system gesture manager that attaches recognizers to a
// display.

namespace frontboard {
void registerClasses();
}
