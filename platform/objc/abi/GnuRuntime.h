#pragma once
// The runtime's C interface on the stand-in device: the GNU Objective-C runtime's own
// headers. Its types pass as the phone's do (pointers, and a one-byte BOOL that is an
// unsigned char here and a bool there), so a deliverable's call is the same call on both
// targets. What the GNU runtime lacks under the phone's names (objc_msgSend, associated
// objects, blocks) the stand-in provides; platform/objc/Runtime.h declares it for both.

#include <objc/message.h>
#include <objc/runtime.h>
