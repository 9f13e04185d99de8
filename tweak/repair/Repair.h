#pragma once
// The fingerprint-sensor repair flow, run on "com.brel.tessaro.fixButton".

#include "platform/foundation/CFNotificationCenter.h"

void fixButton(CFNotificationCenterRef center, void* observer, CFNotificationName name, const void* object,
               CFDictionaryRef userInfo);
