#include "platform/uikit/UIKit.h"

#include "platform/objc/ClassBuilder.h"
#include "platform/objc/Ref.h"

namespace uikit {
namespace {

using namespace objc::literals;

id sharedApplicationInstance = nil;

id sharedApplication(id, SEL) { return sharedApplicationInstance; }

}  // namespace

void registerClasses() {
  static const bool registered = [] {
    objc::ClassBuilder("UIApplication", objc::rootClass())
        .classMethod("sharedApplication"_sel, &sharedApplication)
        .build();
    return true;
  }();
  (void)registered;
}

void setSharedApplication(id application) {
  objc::retain(application);
  objc::release(sharedApplicationInstance);
  sharedApplicationInstance = application;
}

}  // namespace uikit
