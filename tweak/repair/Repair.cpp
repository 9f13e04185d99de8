#include "tweak/repair/Repair.h"

// The repair timeline is not built yet; the observer is registered so that the
// notification table is complete from the start.
void fixButton(CFNotificationCenterRef, void*, CFNotificationName, const void*, CFDictionaryRef) {}
