#pragma once
// Motion sampling: the sampling interval, and starting and stopping a sampling run on the
// lock-screen manager.

#include "platform/objc/Runtime.h"

// Seconds between samples, from the interval settings.
double updateInterval();

// A new motion source stored on `lockScreenManager`, started when the sensor is there and
// idle: the sampling timer and the deliveries, both driving one classification step.
void startSampling(id lockScreenManager);
// Stops the stored source's deliveries and ends both timers; the source stays stored.
void stopSampling(id lockScreenManager);
// Starts deliveries on `motionManager` that run a classification step on
// `lockScreenManager` for every reading, whatever the reading or error.
void startDeliveries(id motionManager, id lockScreenManager);
