#include "platform/foundation/Foundation.h"

#include "platform/foundation/Classes.h"

namespace foundation {

void registerClasses() {
  static const bool registered = [] {
    detail::registerValueClasses();
    detail::registerCollectionClasses();
    detail::registerTimerClass();
    detail::registerQueueClasses();
    detail::registerSystemClasses();
    detail::registerBoxClass();
    detail::registerBundleClass();
    detail::registerErrorClass();
    return true;
  }();
  (void)registered;
}

}  // namespace foundation
