// UIApplication: the application object. SpringBoard is its subclass and sets the one
// instance `+sharedApplication` answers.

#include "platform/objc/ClassBuilder.h"
#include "platform/objc/Ref.h"
#include "platform/uikit/Classes.h"
#include "platform/uikit/UIKit.h"

namespace uikit {
namespace {

using namespace objc::literals;

id sharedApplicationInstance = nil;

id sharedApplication(id, SEL) { return sharedApplicationInstance; }

}  // namespace

void detail::registerUIApplication() {
  objc::ClassBuilder("UIApplication", objc::rootClass()).classMethod("sharedApplication"_sel, &sharedApplication).build();
}

void setSharedApplication(id application) {
  objc::retain(application);
  objc::release(sharedApplicationInstance);
  sharedApplicationInstance = application;
}

}  // namespace uikit
