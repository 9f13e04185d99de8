#pragma once
// The stand-in TelephonyUtilities: TUCallCenter answers whether a call is in progress.

namespace telephony {

void registerClasses();
// A call begins or ends (the world around the device); recorded as a "call" event.
void setCallInProgress(bool inCall);
bool callInProgress();

}  // namespace telephony
