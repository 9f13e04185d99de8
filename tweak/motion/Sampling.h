#pragma once
// Motion sampling: the sampling interval, and starting and stopping a sampling run on the
// lock-screen manager.

#include "platform/objc/Runtime.h"

// Seconds between samples, from the interval settings.
double updateInterval();
