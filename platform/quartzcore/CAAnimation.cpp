// CAAnimation and CABasicAnimation: the description of an animation. A layer runs a copy
// of it (see Animations.cpp), so changing an animation after adding it changes nothing.

#include "platform/foundation/Foundation.h"
#include "platform/objc/ClassBuilder.h"
#include "platform/objc/Message.h"
#include "platform/quartzcore/Layer.h"

namespace quartzcore {

namespace {

using namespace objc::literals;
using objc::send;

// Holds what the parameters point at.
struct AnimationState {
  AnimationParameters parameters;
  objc::Ref from, to, timing;
};

AnimationState& stateOf(id self) { return objc::stateOf<AnimationState>(self); }

Class basicClass() {
  static const Class cls = objc::getClass("CABasicAnimation");
  return cls;
}

id animation(id cls, SEL) { return objc::autorelease(send<id()>(cls, "new"_sel)); }

id animationWithKeyPath(id cls, SEL, id keyPath) {
  id made = animation(cls, "animation"_sel);
  stateOf(made).parameters.keyPath = foundation::stringOf(keyPath).value_or("");
  return made;
}

id copyAnimation(id self, SEL) {
  id copy = send<id()>(objc::classOf(self), "new"_sel);
  AnimationState& target = stateOf(copy);
  const AnimationState& source = stateOf(self);
  target.parameters = source.parameters;
  target.from = source.from;
  target.to = source.to;
  target.timing = source.timing;
  return copy;
}

id keyPath(id self, SEL) { return objc::autorelease(foundation::makeString(stateOf(self).parameters.keyPath).take()); }
void setKeyPath(id self, SEL, id path) { stateOf(self).parameters.keyPath = foundation::stringOf(path).value_or(""); }

id fromValue(id self, SEL) { return stateOf(self).from; }
void setFromValue(id self, SEL, id value) {
  stateOf(self).from = objc::Ref(value);
  stateOf(self).parameters.fromValue = value;
}
id toValue(id self, SEL) { return stateOf(self).to; }
void setToValue(id self, SEL, id value) {
  stateOf(self).to = objc::Ref(value);
  stateOf(self).parameters.toValue = value;
}
id timingFunction(id self, SEL) { return stateOf(self).timing; }
void setTimingFunction(id self, SEL, id function) {
  stateOf(self).timing = objc::Ref(function);
  stateOf(self).parameters.timingFunction = function;
}

double duration(id self, SEL) { return stateOf(self).parameters.duration; }
void setDuration(id self, SEL, double seconds) { stateOf(self).parameters.duration = seconds; }
float repeatCount(id self, SEL) { return static_cast<float>(stateOf(self).parameters.repeatCount); }
void setRepeatCount(id self, SEL, float count) { stateOf(self).parameters.repeatCount = count; }
BOOL isCumulative(id self, SEL) { return stateOf(self).parameters.cumulative ? YES : NO; }
void setCumulative(id self, SEL, BOOL cumulative) { stateOf(self).parameters.cumulative = cumulative != NO; }
BOOL isRemovedOnCompletion(id self, SEL) { return stateOf(self).parameters.removedOnCompletion ? YES : NO; }
void setRemovedOnCompletion(id self, SEL, BOOL removed) { stateOf(self).parameters.removedOnCompletion = removed != NO; }

}  // namespace

const AnimationParameters* parametersOf(id animation) {
  if (animation == nil || send<BOOL(Class)>(animation, "isKindOfClass:"_sel, basicClass()) != YES) return nullptr;
  return &stateOf(animation).parameters;
}

void registerCAAnimation() {
  Class base = objc::ClassBuilder("CAAnimation", objc::rootClass())
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
  Class property = objc::ClassBuilder("CAPropertyAnimation", base)
                       .classMethod("animationWithKeyPath:"_sel, &animationWithKeyPath)
                       .method("keyPath"_sel, &keyPath)
                       .method("setKeyPath:"_sel, &setKeyPath)
                       .method("isCumulative"_sel, &isCumulative)
                       .method("setCumulative:"_sel, &setCumulative)
                       .build();
  objc::ClassBuilder("CABasicAnimation", property)
      .method("fromValue"_sel, &fromValue)
      .method("setFromValue:"_sel, &setFromValue)
      .method("toValue"_sel, &toValue)
      .method("setToValue:"_sel, &setToValue)
      .build();
}

}  // namespace quartzcore
