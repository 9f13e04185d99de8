#include "tweak/homebutton/SBHomeHardwareButtonGestureRecognizerConfiguration.h"

#include "platform/objc/Associated.h"

namespace hooks::SBHomeHardwareButtonGestureRecognizerConfiguration {

namespace {
// Each property has its own private key: the address of its own variable.
const char singleTapKey = 0;
const char longTapKey = 0;
const char tapAndHoldKey = 0;
}  // namespace

id singleTapGestureRecognizer(id self, SEL) { return objc_getAssociatedObject(self, &singleTapKey); }
void setSingleTapGestureRecognizer(id self, SEL, id recognizer) {
  objc_setAssociatedObject(self, &singleTapKey, recognizer, OBJC_ASSOCIATION_RETAIN_NONATOMIC);
}

id longTapGestureRecognizer(id self, SEL) { return objc_getAssociatedObject(self, &longTapKey); }
void setLongTapGestureRecognizer(id self, SEL, id recognizer) {
  objc_setAssociatedObject(self, &longTapKey, recognizer, OBJC_ASSOCIATION_RETAIN_NONATOMIC);
}

id tapAndHoldTapGestureRecognizer(id self, SEL) { return objc_getAssociatedObject(self, &tapAndHoldKey); }
void setTapAndHoldTapGestureRecognizer(id self, SEL, id recognizer) {
  objc_setAssociatedObject(self, &tapAndHoldKey, recognizer, OBJC_ASSOCIATION_RETAIN_NONATOMIC);
}

}  // namespace hooks::SBHomeHardwareButtonGestureRecognizerConfiguration
