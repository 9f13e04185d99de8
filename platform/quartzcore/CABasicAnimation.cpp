// CABasicAnimation: a key path animated from one value to another. A value left out is
// the layer's: the from-value what shows when the animation is added, the to-value the
// model's.

#include "platform/objc/ClassBuilder.h"
#include "platform/quartzcore/Layer.h"

namespace quartzcore {

namespace {

using namespace objc::literals;

id fromValue(id self, SEL) { return animationOf(self).from; }
void setFromValue(id self, SEL, id value) {
  animationOf(self).from = objc::Ref(value);
  animationOf(self).parameters.fromValue = value;
}
id toValue(id self, SEL) { return animationOf(self).to; }
void setToValue(id self, SEL, id value) {
  animationOf(self).to = objc::Ref(value);
  animationOf(self).parameters.toValue = value;
}

}  // namespace

void registerCABasicAnimation() {
  objc::ClassBuilder("CABasicAnimation", "CAPropertyAnimation")
      .method("fromValue"_sel, &fromValue)
      .method("setFromValue:"_sel, &setFromValue)
      .method("toValue"_sel, &toValue)
      .method("setToValue:"_sel, &setToValue)
      .build();
}

}  // namespace quartzcore
