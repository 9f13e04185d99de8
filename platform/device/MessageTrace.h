#pragma once
// The device watches a few methods a loaded library added to the host, as a debugger's
// breakpoint would, and records each call (kind "tweak", "-[Class selector]") before the
// method runs: the home button's actions, so that a timeline shows what the tweak was asked
// to decide. Methods the library did not add are left alone.

namespace device {

void traceAddedMethods();

}  // namespace device
