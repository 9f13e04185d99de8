#pragma once
// A programming error in the device or in a deliverable: say what and stop, as the
// device's runtime does for an unrecognized selector.

namespace objc {

[[noreturn]] void fatal(const char* format, ...) __attribute__((format(printf, 1, 2)));

}  // namespace objc
