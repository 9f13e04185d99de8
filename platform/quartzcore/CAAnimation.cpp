// CAAnimation: the description of an animation, its timing. A layer runs a copy of it
// (see Animations.cpp), so changing an animation after adding it changes nothing.

#include "platform/foundation/Foundation.h"
#include "platform/objc/ClassBuilder.h"
#include "platform/objc/Message.h"
#include "platform/quartzcore/Layer.h"

namespace quartzcore {

namespace {

using namespace objc::literals;
using objc::send;

Class basicClass() {
  static const Class cls = objc::getClass("CABasicAnimation");
  return cls;
}

id animation(id cls, SEL) { return objc::autorelease(send<id()>(cls, "new"_sel)); }

id copyAnimation(id self, SEL) {
  id copy = send<id()>(objc::classOf(self), "new"_sel);
  AnimationState& target = animationOf(copy);
  const AnimationState& source = animationOf(self);
  target.parameters = source.parameters;
  target.from = source.from;
  target.to = source.to;
  target.timing = source.timing;
  return copy;
}

id timingFunction(id self, SEL) { return animationOf(self).timing; }
void setTimingFunction(id self, SEL, id function) {
  animationOf(self).timing = objc::Ref(function);
  animationOf(self).parameters.timingFunction = function;
}

double duration(id self, SEL) { return animationOf(self).parameters.duration; }
void setDuration(id self, SEL, double seconds) { animationOf(self).parameters.duration = seconds; }
float repeatCount(id self, SEL) { return static_cast<float>(animationOf(self).parameters.repeatCount); }
void setRepeatCount(id self, SEL, float count) { animationOf(self).parameters.repeatCount = count; }
BOOL isRemovedOnCompletion(id self, SEL) { return animationOf(self).parameters.removedOnCompletion ? YES : NO; }
void setRemovedOnCompletion(id self, SEL, BOOL removed) { animationOf(self).parameters.removedOnCompletion = removed != NO; }

}  // namespace

AnimationState& animationOf(id animation) { return objc::stateOf<AnimationState>(animation); }

const AnimationParameters* parametersOf(id animation) {
  if (animation == nil || send<BOOL(Class)>(animation, "isKindOfClass:"_sel, basicClass()) != YES) return nullptr;
  return &animationOf(animation).parameters;
}

void registerCAAnimation() {
  objc::ClassBuilder("CAAnimation", objc::rootClass())
      .state<AnimationState>()
      .classMethod("animation"_sel, &animation)
      .method("copy"_sel, &copyAnimation)
      .method("duration"_sel, &duration)
      .method("setDuration:"_sel, &setDuration)
      .method("repeatCount"_sel, &repeatCount)
      .method("setRepeatCount:"_sel, &setRepeatCount)
      .method("isRemovedOnCompletion"_sel, &isRemovedOnCompletion)
      .method("setRemovedOnCompletion:"_sel, &setRemovedOnCompletion)
      .method("timingFunction"_sel, &timingFunction)
      .method("setTimingFunction:"_sel, &setTimingFunction)
      .build();
}

}  // namespace quartzcore
