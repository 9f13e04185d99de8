#include "tweak/motion/Sampling.h"

#include "tweak/Settings.h"

double updateInterval() {
  if (!isUpdateIntervalEnabled) return 1.0;
  switch (updateIntervalSlider) {
    case 0: return 0.025;
    case 1: return 0.05;
    case 2: return 0.1;
    case 3: return 0.2;
    case 4: return 0.5;
    default: return 1.0;
  }
}
