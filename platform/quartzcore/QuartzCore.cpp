#include "platform/quartzcore/QuartzCore.h"

#include "platform/foundation/Foundation.h"
#include "platform/quartzcore/Layer.h"

namespace quartzcore {

void registerClasses() {
  static const bool registered = [] {
    foundation::registerClasses();
    registerCAMediaTimingFunction();
    registerCAAnimation();
    registerCAPropertyAnimation();
    registerCABasicAnimation();
    registerCALayer();
    return true;
  }();
  (void)registered;
}

}  // namespace quartzcore
