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
  core::defineHostClass("CCUIToggleViewController", [](objc::ClassBuilder& c) {
    c.method("viewDidLoad"_sel, &viewDidLoad).method("refreshState"_sel, &refreshState);
  });
  core::defineHostClass("CCUIModularControlCenterOverlayViewController", [](objc::ClassBuilder& c) {
    c.method("_beginPresentationAnimated:interactive:"_sel, &beginPresentation);
  });
}

}  // namespace controlcenter
