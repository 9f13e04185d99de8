#pragma once
// The power model: the charger, and sleep. SpringBoard grants the dark device an idle-sleep
// window (the seconds it asked not to sleep for); a device that sleeps when idle falls asleep
// once that window has passed with the display still dark. While asleep its main run loop
// holds back timers and sensor readings; everything else (presses, notifications, delayed
// work) still runs. Lighting the display wakes it. Sleeping is off unless asked for, so that
// nothing depends on this detail of the device by accident.

namespace hardware {

class Power {
 public:
  void setCharging(bool charging);
  bool charging() const { return charging_; }

  // Off by default. Set before the device runs.
  void setSleepsWhenIdle(bool sleeps) { sleepsWhenIdle_ = sleeps; }
  bool sleepsWhenIdle() const { return sleepsWhenIdle_; }
  bool asleep() const { return asleep_; }

  // SpringBoard was granted `seconds` without idle sleep, counted from now; a later grant
  // replaces an earlier one. Ignored while the display is lit or sleep is off.
  void grantIdleSleepWindow(float seconds);
  // The display came on: the device is awake.
  void wake();

 private:
  bool charging_ = false;
  bool sleepsWhenIdle_ = false;
  bool asleep_ = false;
  unsigned long long pendingSleep_ = 0;  // the run loop's work that puts the device to sleep
};

Power& power();

}  // namespace hardware
