#pragma once
// The Darwin notify center: system-wide notifications by name, without payload. A post is
// delivered on the main run loop on a later turn, to every observer of the name in the
// order they registered; never inside the poster's call.

#include "platform/objc/Runtime.h"

using CFNotificationCenterRef = struct __CFNotificationCenter*;
using CFStringRef = id;  // an NSString, toll-free
using CFNotificationName = id;
using CFDictionaryRef = id;
using Boolean = unsigned char;

using CFNotificationCallback = void (*)(CFNotificationCenterRef center, void* observer, CFNotificationName name,
                                        const void* object, CFDictionaryRef userInfo);

enum CFNotificationSuspensionBehavior : long {
  CFNotificationSuspensionBehaviorDrop = 1,
  CFNotificationSuspensionBehaviorCoalesce = 2,
  CFNotificationSuspensionBehaviorHold = 3,
  CFNotificationSuspensionBehaviorDeliverImmediately = 4,
};

extern "C" {
CFNotificationCenterRef CFNotificationCenterGetDarwinNotifyCenter(void);
void CFNotificationCenterAddObserver(CFNotificationCenterRef center, const void* observer,
                                     CFNotificationCallback callback, CFStringRef name, const void* object,
                                     CFNotificationSuspensionBehavior suspensionBehavior);
void CFNotificationCenterPostNotification(CFNotificationCenterRef center, CFNotificationName name,
                                          const void* object, CFDictionaryRef userInfo, Boolean deliverImmediately);
}
