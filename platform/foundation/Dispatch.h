#pragma once
// libdispatch's main queue: work submitted here runs on the main run loop. Declared as a
// library compiles against it: dispatch_get_main_queue() is the address of the exported
// queue object _dispatch_main_q, not a call.

#include "platform/objc/Runtime.h"

#include <cstdint>

using dispatch_time_t = std::uint64_t;
struct dispatch_queue_s;
using dispatch_queue_t = dispatch_queue_s*;
using dispatch_block_t = id;  // a block (objc::makeBlock<void()>)

#define DISPATCH_TIME_NOW (0ull)
#define NSEC_PER_SEC (1000000000ull)

extern "C" {
extern struct dispatch_queue_s _dispatch_main_q;
// `delta` nanoseconds after `when` (DISPATCH_TIME_NOW: the device's present).
dispatch_time_t dispatch_time(dispatch_time_t when, std::int64_t delta);
void dispatch_after(dispatch_time_t when, dispatch_queue_t queue, dispatch_block_t block);
void dispatch_async(dispatch_queue_t queue, dispatch_block_t block);
}

inline dispatch_queue_t dispatch_get_main_queue(void) { return &_dispatch_main_q; }
