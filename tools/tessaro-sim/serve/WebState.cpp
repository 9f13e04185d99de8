#include "tools/tessaro-sim/serve/WebState.h"

#include "platform/controlcenter/ControlCenter.h"
#include "platform/coremotion/CoreMotion.h"
#include "platform/objc/AutoreleasePool.h"
#include "platform/uikit/UIKit.h"
#include "tools/tessaro-sim/SettingsKeys.h"
#include "tools/tessaro-sim/TweakGlobals.h"

#include <array>

namespace sim::serve {

namespace {

// The styling file's keys, as the tweak's styling and the module read them.
struct StylingKey {
  const char* name;
  const char* type;
  const char* whenAbsent;
  const char* meaning;
};
constexpr std::array kStylingKeys = {
    StylingKey{"isEnabled", "boolean", "NO", "master switch of all styling"},
    StylingKey{"isColoredTogglesEnabled", "boolean", "NO", "paint the toggle's background and hide its highlight"},
    StylingKey{"isRandomColorEnabled", "boolean", "NO", "a random colour instead of bgTessaroColor"},
    StylingKey{"isRoundIconsEnabled", "boolean", "NO", "corner radius 32 instead of 19"},
    StylingKey{"isScaleToggleEnabled", "boolean", "NO", "scale the toggle's view"},
    StylingKey{"scaleToggle", "real", "0", "scale factor of the toggle's view"},
    StylingKey{"isScaleIconEnabled", "boolean", "NO", "scale the glyphs"},
    StylingKey{"scaleIcon", "real", "0", "scale factor of the glyphs"},
    StylingKey{"isOnlyOneGlyphEnabled", "boolean", "NO", "the ON glyph in both states"},
};

const char* typeName(KeyKind kind) {
  switch (kind) {
    case KeyKind::Boolean: return "boolean";
    case KeyKind::Integer: return "integer";
    case KeyKind::Real: return "real";
    case KeyKind::Colour: return "colour";
  }
  return "unknown";
}

// A JSON value for what a form can show: booleans, numbers and strings as themselves,
// anything else as the scenario language writes it.
nlohmann::ordered_json jsonOf(const plist::Value* value) {
  if (value == nullptr) return nullptr;
  if (const bool* flag = value->asBoolean()) return *flag;
  if (const std::int64_t* integer = value->asInteger()) return *integer;
  if (const double* real = value->asReal(); real && std::isfinite(*real)) return *real;
  if (const std::string* text = value->asString()) return *text;
  return describeValue(*value);
}

const plist::Value* find(const std::optional<plist::Dictionary>& dictionary, const std::string& key) {
  if (!dictionary) return nullptr;
  const auto found = dictionary->find(key);
  return found == dictionary->end() ? nullptr : &found->second;
}

// The tweak's settings dictionary as it read it, as a debugger reads it; none without.
std::optional<plist::Dictionary> tweakPrefs() {
  std::string why;
  std::optional<plist::Value> prefs;
  if (!readTweakPrefs(prefs, why) || !prefs || !prefs->isDictionary()) return std::nullopt;
  return *prefs->asDictionary();
}

nlohmann::ordered_json frameJson(const std::optional<CGRect>& frame) {
  if (!frame) return nullptr;
  return {{"x", frame->origin.x}, {"y", frame->origin.y}, {"width", frame->size.width}, {"height", frame->size.height}};
}

}  // namespace

nlohmann::ordered_json deviceState(device::Device& device, double rate, std::uint64_t frame) {
  objc::AutoreleasePool pool;
  nlohmann::ordered_json state;
  state["rate"] = rate;
  state["display"] = device.displayOn();
  state["lockScreen"] = device.lockScreenUp();
  state["sampling"] = coremotion::activeManagers() > 0;
  state["controlCenter"] = device.controlCenterOpen();
  state["homeDown"] = device.homeButtonIsDown();
  state["frame"] = frame;
  const CGSize size = uikit::screenSize();
  state["screen"] = {{"width", size.width}, {"height", size.height}, {"scale", uikit::screenScale()}};
  nlohmann::ordered_json toggles = nlohmann::ordered_json::array();
  for (const std::string& identifier : controlcenter::toggles()) {
    const auto look = device.toggleLook(identifier);
    toggles.push_back({{"identifier", identifier},
                       {"selected", look && look->selected},
                       {"frame", device.controlCenterOpen() ? frameJson(device.toggleFrame(identifier)) : nullptr}});
  }
  state["toggles"] = std::move(toggles);
  return state;
}

nlohmann::ordered_json settingsForm(device::Device& device) {
  const auto file = device.readSettings();
  const auto read = tweakPrefs();
  nlohmann::ordered_json settings = nlohmann::ordered_json::array();
  for (const SettingsKey& key : settingsKeys()) {
    settings.push_back({{"key", key.name},
                        {"type", typeName(key.kind)},
                        {"default", key.whenAbsent},
                        {"meaning", key.meaning},
                        {"file", jsonOf(find(file, key.name))},
                        {"read", jsonOf(find(read, key.name))}});
  }
  const auto stylingFile = device.readPropertyList(device::kStylingPath);
  nlohmann::ordered_json styling = nlohmann::ordered_json::array();
  for (const StylingKey& key : kStylingKeys) {
    styling.push_back({{"key", key.name},
                       {"type", key.type},
                       {"default", key.whenAbsent},
                       {"meaning", key.meaning},
                       {"file", jsonOf(find(stylingFile, key.name))}});
  }
  return {{"settings", std::move(settings)}, {"styling", std::move(styling)}};
}

}  // namespace sim::serve
