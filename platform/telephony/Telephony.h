#pragma once
// The stand-in TelephonyUtilities: TUCallCenter answers whether a call is in progress.

namespace telephony {
void registerClasses();
}
