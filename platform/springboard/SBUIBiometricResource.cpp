// SBUIBiometricResource: the fingerprint sensor's resource, told when the display went dark.

#include "platform/core/HostCall.h"
#include "platform/core/HostClasses.h"
#include "platform/objc/ClassBuilder.h"
#include "platform/objc/Singleton.h"
#include "platform/springboard/Classes.h"
#include "platform/springboard/SpringBoard.h"

namespace springboard::detail {
namespace {
using namespace objc::literals;
void noteScreenDidTurnOff(id self, SEL sel) { core::recordHostCall(self, sel); }
}  // namespace

void registerSBUIBiometricResource() {
  core::defineHostClass("SBUIBiometricResource", [](objc::ClassBuilder& c) {
    c.classMethod("sharedInstance"_sel, &objc::sharedInstanceMethod<"SBUIBiometricResource">)
        .method("noteScreenDidTurnOff"_sel, &noteScreenDidTurnOff);
  });
}

}  // namespace springboard::detail
