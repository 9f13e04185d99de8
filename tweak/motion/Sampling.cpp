#include "tweak/motion/Sampling.h"

#include "platform/objc/Block.h"
#include "platform/objc/Message.h"
#include "tweak/Settings.h"
#include "tweak/State.h"
#include "tweak/host/Host.h"

using namespace objc::literals;
using objc::send;

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

void startDeliveries(id motionManager, id lockScreenManager) {
  static const Class queueClass = objc_getClass("NSOperationQueue");
  objc::Ref manager{lockScreenManager};
  objc::Ref handler = objc::makeBlock<void(id, id)>([manager](id, id) { send<void()>(manager, "getAcceleration"_sel); });
  send<void(id, id)>(motionManager, "startDeviceMotionUpdatesToQueue:withHandler:"_sel,
                     send<id()>(queueClass, "mainQueue"_sel), handler.get());
}

void startSampling(id lockScreenManager) {
  static const Class motionManagerClass = objc_getClass("CMMotionManager");
  objc::Ref fresh = objc::Ref::adopt(send<id()>(send<id()>(motionManagerClass, "alloc"_sel), "init"_sel));
  send<void(id)>(lockScreenManager, "setMotionManager:"_sel, fresh.get());

  id source = send<id()>(lockScreenManager, "motionManager"_sel);
  if (!send<BOOL()>(source, "isDeviceMotionAvailable"_sel) || send<BOOL()>(source, "isDeviceMotionActive"_sel)) return;
  send<void(double)>(source, "setDeviceMotionUpdateInterval:"_sel, updateInterval());
  send<void()>(source, "update"_sel);
  startDeliveries(source, lockScreenManager);
}

void stopSampling(id lockScreenManager) {
  send<void()>(send<id()>(lockScreenManager, "motionManager"_sel), "stopDeviceMotionUpdates"_sel);
  host::endTimer(deviceMotionTimer);
  host::endTimer(disableMotionDetector);
}
