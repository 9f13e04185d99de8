#include "tweak/ScreenWake.h"

#include "platform/audiotoolbox/AudioServices.h"
#include "platform/foundation/Literals.h"
#include "platform/objc/Message.h"
#include "tweak/Settings.h"
#include "tweak/host/Host.h"

using namespace objc::literals;
using namespace foundation::literals;
using objc::send;

namespace {
// The vibrate-only system sound.
constexpr SystemSoundID kVibrateSystemSound = 4095;
}  // namespace

void wakeScreen() { send<void(id)>(host::application(), "_turnScreenOnOnDashBoardWithCompletion:"_sel, nil); }

void hapticVibe() {
  static const Class dictionaryClass = objc_getClass("NSMutableDictionary");
  static const Class arrayClass = objc_getClass("NSMutableArray");
  static const Class numberClass = objc_getClass("NSNumber");

  id dictionary = send<id()>(dictionaryClass, "dictionary"_sel);
  id pattern = send<id()>(arrayClass, "array"_sel);
  send<void(id)>(pattern, "addObject:"_sel, send<id(BOOL)>(numberClass, "numberWithBool:"_sel, YES));
  send<void(id)>(pattern, "addObject:"_sel,
                 send<id(int)>(numberClass, "numberWithInt:"_sel, static_cast<int>(vibrationDuration)));
  send<void(id, id)>(dictionary, "setObject:forKey:"_sel, pattern, "VibePattern"_ns);
  send<void(id, id)>(dictionary, "setObject:forKey:"_sel,
                     send<id(float)>(numberClass, "numberWithFloat:"_sel, static_cast<float>(vibrationIntensity)),
                     "Intensity"_ns);
  AudioServicesPlaySystemSoundWithVibration(kVibrateSystemSound, nil, dictionary);
}
