#include "tools/tessaro-sim/KeyRelevance.h"

#include "tools/tessaro-sim/SettingsKeys.h"

#include <algorithm>
#include <array>

namespace sim {

namespace {

// A setting under which another key can matter, and what is said when it does not hold.
struct Condition {
  const char* failure;
  bool (*holds)(const EffectiveSettings&);
};

constexpr Condition kEnabled{"isEnabled is off", [](const EffectiveSettings& e) { return e.flag("isEnabled"); }};
constexpr Condition kMotionMode{"isAllowTapOnScreenOffEnabled is on",
                                [](const EffectiveSettings& e) { return !e.flag("isAllowTapOnScreenOffEnabled"); }};
// Sampling starts when the lock screen is presented only in these wake modes.
constexpr Condition kSampling{"wakeMode is neither 0 nor 1", [](const EffectiveSettings& e) {
                                const long long mode = e.integer("wakeMode", 0);
                                return mode == 0 || mode == 1;
                              }};
constexpr Condition kGesture{"wakeGestureMode is not 0, 1 or 2", [](const EffectiveSettings& e) {
                               const long long mode = e.integer("wakeGestureMode", 0);
                               return mode >= 0 && mode <= 2;
                             }};
constexpr Condition kScaled{"isWakeScreenSensitivityEnabled is off",
                            [](const EffectiveSettings& e) { return e.flag("isWakeScreenSensitivityEnabled"); }};
constexpr Condition kInterval{"isUpdateIntervalEnabled is off",
                              [](const EffectiveSettings& e) { return e.flag("isUpdateIntervalEnabled"); }};
constexpr Condition kTimeout{"disableDetectionMode is not 0",
                             [](const EffectiveSettings& e) { return e.integer("disableDetectionMode", 0) == 0; }};

struct KeyNeeds {
  const char* key;
  std::vector<const Condition*> needs;
  const char* never = nullptr;  // why it never matters to a replay
};

const std::array<KeyNeeds, 17>& keyNeeds() {
  static const std::array<KeyNeeds, 17> needs = {{
      {"isEnabled", {}},
      {"isAllowTapOnScreenOffEnabled", {&kEnabled}},
      {"disableDetectionMode", {&kEnabled}},
      {"disableMotionDetectionSlider", {&kEnabled, &kTimeout}},
      {"wakeMode", {&kEnabled, &kMotionMode}},
      {"isMotionDetectorReEnabled", {&kEnabled, &kMotionMode, &kSampling}},
      {"isUpdateIntervalEnabled", {&kEnabled, &kMotionMode, &kSampling}},
      {"updateIntervalSlider", {&kEnabled, &kMotionMode, &kSampling, &kInterval}},
      {"wakeGestureMode", {&kEnabled, &kMotionMode, &kSampling}},
      {"isWakeScreenSensitivityEnabled", {&kEnabled, &kMotionMode, &kSampling, &kGesture}},
      {"motionSenstivity", {&kEnabled, &kMotionMode, &kSampling, &kGesture, &kScaled}},
      {"tapToWakeMode", {}, "a replay presses no home button"},
      {"isVibrationEnabled", {}, "a replay presses no home button"},
      {"vibrationIntensity", {}, "a replay presses no home button"},
      {"vibrationDuration", {}, "a replay presses no home button"},
      {"isReachavilityDisabled", {}, "a replay uses no reachability"},
      {"bgTessaroColor", {}, "a replay opens no Control Center"},
  }};
  return needs;
}

const KeyNeeds* needsOf(std::string_view key) {
  const auto& all = keyNeeds();
  const auto found = std::find_if(all.begin(), all.end(), [&](const KeyNeeds& needs) { return needs.key == key; });
  return found == all.end() ? nullptr : &*found;
}

const Condition* firstFailing(const KeyNeeds& needs, const plist::Dictionary& settings) {
  const EffectiveSettings effective(settings);
  for (const Condition* condition : needs.needs) {
    if (!condition->holds(effective)) return condition;
  }
  return nullptr;
}

}  // namespace

std::optional<std::string> whyNoDifference(std::string_view key, const plist::Dictionary& settings) {
  const KeyNeeds* needs = needsOf(key);
  if (needs == nullptr) return std::nullopt;  // unknown: warned of as such
  if (needs->never != nullptr) return needs->never;
  if (const Condition* failing = firstFailing(*needs, settings)) return failing->failure;
  return std::nullopt;
}

std::optional<std::string> noDifferenceWarning(std::string_view key, const std::vector<plist::Dictionary>& settingsFiles) {
  const KeyNeeds* needs = needsOf(key);
  if (needs == nullptr || settingsFiles.empty()) return std::nullopt;
  const std::string opening = std::string(key) + " makes no difference here: ";
  if (needs->never != nullptr) return opening + needs->never;
  std::vector<const Condition*> reasons;
  for (const plist::Dictionary& settings : settingsFiles) {
    const Condition* failing = firstFailing(*needs, settings);
    if (failing == nullptr) return std::nullopt;
    if (std::find(reasons.begin(), reasons.end(), failing) == reasons.end()) reasons.push_back(failing);
  }
  // One setting that rules it out everywhere says it best.
  for (const Condition* condition : needs->needs) {
    const bool everywhere = std::all_of(settingsFiles.begin(), settingsFiles.end(), [&](const plist::Dictionary& settings) {
      return !condition->holds(EffectiveSettings(settings));
    });
    if (everywhere) return opening + condition->failure + " in every cell";
  }
  std::string text = opening + "in every cell ";
  for (std::size_t i = 0; i < reasons.size(); ++i) text += (i == 0 ? "" : " or ") + std::string(reasons[i]->failure);
  return text;
}

bool readAtStart(std::string_view key) { return key == "isAllowTapOnScreenOffEnabled" || key == "isReachavilityDisabled"; }

}  // namespace sim
