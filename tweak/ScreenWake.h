#pragma once
// The shared actions of detection and the home button: light the display over the lock
// screen, and one vibration pulse of the configured length and strength.

void wakeScreen();
void hapticVibe();
