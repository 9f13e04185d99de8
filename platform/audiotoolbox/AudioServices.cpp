#include "platform/audiotoolbox/AudioServices.h"

#include "platform/core/EventLog.h"
#include "platform/foundation/Foundation.h"

extern "C" void AudioServicesPlaySystemSoundWithVibration(SystemSoundID sound, id, id vibration) {
  auto request = foundation::toValue(vibration);
  nlohmann::json fields{{"sound", sound}};
  std::string text = "sound " + std::to_string(sound);
  if (request && request->isDictionary()) {
    nlohmann::json pattern = nlohmann::json::array();
    const auto& entries = *request->asDictionary();
    nlohmann::json keys = nlohmann::json::array();
    for (const auto& entry : entries) keys.push_back(entry.first);
    fields["keys"] = keys;
    if (auto found = entries.find("VibePattern"); found != entries.end() && found->second.isArray()) {
      for (const plist::Value& step : *found->second.asArray()) {
        if (step.isBoolean()) {
          pattern.push_back(*step.asBoolean());
        } else {
          pattern.push_back(step.integerValue());
        }
      }
      fields["VibePattern"] = pattern;
      text += " pattern " + pattern.dump();
    }
    if (auto found = entries.find("Intensity"); found != entries.end()) {
      fields["Intensity"] = found->second.doubleValue();
      fields["IntensityIsReal"] = found->second.isReal();
      text += " intensity " + std::to_string(found->second.floatValue());
    }
  }
  core::record("vibration", text, fields);
}
