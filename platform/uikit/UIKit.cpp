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
  if (objc::getClass("UIApplication") != Nil) return;
  objc::ClassBuilder("UIApplication", objc::rootClass()).classMethod("sharedApplication"_sel, &sharedApplication).build();
}

void setSharedApplication(id application) {
  objc::retain(application);
  objc::release(sharedApplicationInstance);
  sharedApplicationInstance = application;
}

}  // namespace uikit
