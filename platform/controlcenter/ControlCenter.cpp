#include "platform/controlcenter/ControlCenter.h"

#include "platform/core/HostCall.h"
#include "platform/core/HostClasses.h"
#include "platform/objc/ClassBuilder.h"

namespace controlcenter {
namespace {

using namespace objc::literals;
using core::recordHostCall;

void viewDidLoad(id self, SEL sel) { recordHostCall(self, sel); }
void refreshState(id self, SEL sel) { recordHostCall(self, sel); }
void beginPresentation(id self, SEL sel, BOOL animated, BOOL interactive) {
  recordHostCall(self, sel, "", {{"animated", animated == YES}, {"interactive", interactive == YES}});
}

}  // namespace

void registerClasses() {
  if (!core::isAbsent("CCUIToggleViewController")) {
    objc::ClassBuilder("CCUIToggleViewController", objc::rootClass())
        .method("viewDidLoad"_sel, &viewDidLoad)
        .method("refreshState"_sel, &refreshState)
        .build();
  }
  if (!core::isAbsent("CCUIModularControlCenterOverlayViewController")) {
    objc::ClassBuilder("CCUIModularControlCenterOverlayViewController", objc::rootClass())
        .method("_beginPresentationAnimated:interactive:"_sel, &beginPresentation)
        .build();
  }
}

}  // namespace controlcenter
