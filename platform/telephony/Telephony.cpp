#include "platform/telephony/Telephony.h"

#include "platform/core/HostClasses.h"
#include "platform/objc/ClassBuilder.h"
#include "platform/objc/Singleton.h"
#include "platform/springboard/SpringBoard.h"

namespace telephony {
namespace {
using namespace objc::literals;
BOOL hasCurrentCalls(id, SEL) { return springboard::state().callInProgress ? YES : NO; }
}  // namespace

void registerClasses() {
  core::defineHostClass("TUCallCenter", [](objc::ClassBuilder& c) {
    c.classMethod("sharedInstance"_sel, &objc::sharedInstanceMethod<"TUCallCenter">)
        .method("hasCurrentCalls"_sel, &hasCurrentCalls);
  });
}

}  // namespace telephony
