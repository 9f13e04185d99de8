// The main operation queue and libdispatch's main queue: both run their work on the main
// run loop, never inside the caller.

#include "platform/core/RunLoop.h"
#include "platform/foundation/Classes.h"
#include "platform/foundation/Dispatch.h"
#include "platform/objc/Block.h"
#include "platform/objc/ClassBuilder.h"
#include "platform/objc/Fatal.h"
#include "platform/objc/Message.h"
#include "platform/objc/Singleton.h"

namespace foundation::detail {
namespace {

using namespace objc::literals;
using objc::send;

// Kept as an API keeps a block: copied, so a block made on the stack survives its frame.
void runLater(double at, core::RunLoop::Source source, id block) {
  objc::Ref held = objc::copyBlock(block);
  core::RunLoop::main().schedule(at, source, [held] { objc::callBlock<void()>(held); });
}

id mainQueue(id cls, SEL sel) { return objc::sharedInstanceMethod<"NSOperationQueue">(cls, sel); }

void addOperationWithBlock(id, SEL, id block) {
  runLater(core::RunLoop::main().now(), core::RunLoop::Source::Dispatch, block);
}

}  // namespace

void registerQueueClasses() {
  objc::ClassBuilder("NSOperationQueue", objc::rootClass())
      .classMethod("mainQueue"_sel, &mainQueue)
      .method("addOperationWithBlock:"_sel, &addOperationWithBlock)
      .build();
}

}  // namespace foundation::detail

struct dispatch_queue_s {};

namespace {

constexpr double kNanosecondsPerSecond = 1e9;

// The device has one thread, and one queue: work for any other would never run.
void requireMainQueue(dispatch_queue_t queue, const char* function) {
  if (queue != &_dispatch_main_q) objc::fatal("%s: the device runs work only on the main queue", function);
}

}  // namespace

extern "C" {

dispatch_queue_s _dispatch_main_q;

dispatch_time_t dispatch_time(dispatch_time_t when, std::int64_t delta) {
  const double base = when == DISPATCH_TIME_NOW ? core::RunLoop::main().now() * kNanosecondsPerSecond
                                                : static_cast<double>(when);
  const double at = base + static_cast<double>(delta);
  return at <= 0 ? 1 : static_cast<dispatch_time_t>(at);
}

void dispatch_after(dispatch_time_t when, dispatch_queue_t queue, dispatch_block_t block) {
  requireMainQueue(queue, "dispatch_after");
  const double at = when == DISPATCH_TIME_NOW ? core::RunLoop::main().now() : static_cast<double>(when) / kNanosecondsPerSecond;
  foundation::detail::runLater(at, core::RunLoop::Source::Dispatch, block);
}

void dispatch_async(dispatch_queue_t queue, dispatch_block_t block) {
  requireMainQueue(queue, "dispatch_async");
  foundation::detail::runLater(core::RunLoop::main().now(), core::RunLoop::Source::Dispatch, block);
}
}
