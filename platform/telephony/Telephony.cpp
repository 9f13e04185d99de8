#include "platform/telephony/Telephony.h"

#include "platform/core/EventLog.h"
#include "platform/core/HostCall.h"
#include "platform/core/HostClasses.h"
#include "platform/objc/ClassBuilder.h"
#include "platform/objc/Singleton.h"

namespace telephony {
namespace {
using namespace objc::literals;
bool inCall = false;
BOOL hasCurrentCalls(id self, SEL sel) {
  core::recordAnswer(self, sel, inCall);
  return inCall ? YES : NO;
}
}  // namespace

void registerClasses() {
  core::defineHostClass("TUCallCenter", [](objc::ClassBuilder& c) {
    c.classMethod("sharedInstance"_sel, &objc::sharedInstanceMethod<"TUCallCenter">)
        .method("hasCurrentCalls"_sel, &hasCurrentCalls);
  });
}

void setCallInProgress(bool calling) {
  inCall = calling;
  core::record("call", calling ? "in progress" : "ended", {{"inCall", calling}});
}

bool callInProgress() { return inCall; }

}  // namespace telephony
