// CAPropertyAnimation: an animation of one key path of a layer, which may accumulate over
// its repeats.

#include "platform/foundation/Foundation.h"
#include "platform/objc/ClassBuilder.h"
#include "platform/objc/Message.h"
#include "platform/quartzcore/Layer.h"

namespace quartzcore {

namespace {

using namespace objc::literals;
using objc::send;

id animationWithKeyPath(id cls, SEL, id keyPath) {
  id made = objc::autorelease(send<id()>(cls, "new"_sel));
  animationOf(made).parameters.keyPath = foundation::stringOf(keyPath).value_or("");
  return made;
}

id keyPath(id self, SEL) { return objc::autorelease(foundation::makeString(animationOf(self).parameters.keyPath).take()); }
void setKeyPath(id self, SEL, id path) { animationOf(self).parameters.keyPath = foundation::stringOf(path).value_or(""); }
BOOL isCumulative(id self, SEL) { return animationOf(self).parameters.cumulative ? YES : NO; }
void setCumulative(id self, SEL, BOOL cumulative) { animationOf(self).parameters.cumulative = cumulative != NO; }

}  // namespace

void registerCAPropertyAnimation() {
  objc::ClassBuilder("CAPropertyAnimation", "CAAnimation")
      .classMethod("animationWithKeyPath:"_sel, &animationWithKeyPath)
      .method("keyPath"_sel, &keyPath)
      .method("setKeyPath:"_sel, &setKeyPath)
      .method("isCumulative"_sel, &isCumulative)
      .method("setCumulative:"_sel, &setCumulative)
      .build();
}

}  // namespace quartzcore
