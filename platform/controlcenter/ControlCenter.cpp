// Control Center's toggles, its window, and what the user does with it.

#include "platform/controlcenter/Classes.h"

#include "platform/core/EventLog.h"
#include "platform/foundation/Foundation.h"
#include "platform/objc/Message.h"
#include "platform/quartzcore/QuartzCore.h"
#include "platform/quartzcore/Values.h"
#include "platform/uikit/UIKit.h"

namespace controlcenter {

namespace {

using namespace objc::literals;
using objc::send;

// Above SpringBoard's own windows.
constexpr double kWindowLevel = 2000;

struct Host {
  std::vector<detail::Entry> toggles;
  objc::Ref window;
  objc::Ref overlay;
  bool presented = false;
  bool started = false;
};

Host& host() {
  static auto* state = new Host();
  return *state;
}

const detail::Entry* entryFor(const std::string& identifier) {
  for (const detail::Entry& entry : host().toggles) {
    if (entry.identifier == identifier) return &entry;
  }
  return nullptr;
}

void recordBundle(const BundleResult& result) {
  const std::string text = result.bundle + (result.loaded ? " loaded: " + result.identifier : " skipped: " + result.reason);
  core::record("module", text,
               {{"bundle", result.bundle}, {"loaded", result.loaded}, {"identifier", result.identifier}, {"reason", result.reason}});
}

}  // namespace

namespace detail {

const std::vector<Entry>& registry() { return host().toggles; }
id window() { return host().window; }
void setPresented(bool presented) { host().presented = presented; }

}  // namespace detail

std::vector<std::string> hostToggles() {
  std::vector<std::string> identifiers;
  for (const detail::HostModule& own : detail::hostModules()) identifiers.push_back(own.identifier);
  return identifiers;
}

void registerClasses(const Options& options) {
  static const bool registered = [&options] {
    uikit::registerClasses();
    detail::registerCCUIContentModuleContext();
    detail::registerCCUIToggleModule();
    detail::registerCCUIButtonModuleView(options);
    detail::registerCCUIToggleViewController();
    detail::registerCCUIModularControlCenterOverlayViewController();
    detail::registerCCUIDoNotDisturbModule();
    detail::registerCCUIOrientationLockModule();
    return true;
  }();
  (void)registered;
}

std::vector<BundleResult> start(const std::string& bundles) {
  Host& state = host();
  if (state.started) return {};
  state.started = true;
  std::vector<std::string> taken;
  for (const detail::HostModule& own : detail::hostModules()) {
    Class cls = objc::getClass(own.className);
    if (cls == Nil) continue;
    state.toggles.push_back({own.identifier, objc::Ref::adopt(detail::makeModule(cls, own.identifier))});
    taken.push_back(own.identifier);
  }
  std::vector<BundleResult> results;
  if (objc::getClass("CCUIToggleModule") != Nil) {
    std::vector<detail::Loaded> loaded;
    results = detail::loadBundles(bundles, taken, loaded);
    for (const detail::Loaded& module : loaded) state.toggles.push_back({module.identifier, objc::Ref::adopt(module.module)});
  }
  for (const BundleResult& result : results) recordBundle(result);

  if (Class overlay = objc::getClass("CCUIModularControlCenterOverlayViewController")) {
    state.overlay = objc::Ref::adopt(send<id()>(overlay, "new"_sel));
    state.window = objc::Ref::adopt(send<id(CGRect)>(send<id()>(objc::getClass("UIWindow"), "alloc"_sel),
                                                     "initWithFrame:"_sel, CGRect{CGPointZero, uikit::screenSize()}));
    send<void(double)>(state.window.get(), "setWindowLevel:"_sel, kWindowLevel);
  }
  return results;
}

std::vector<std::string> toggles() {
  std::vector<std::string> identifiers;
  for (const detail::Entry& entry : host().toggles) identifiers.push_back(entry.identifier);
  return identifiers;
}

id moduleFor(const std::string& identifier) {
  const detail::Entry* entry = entryFor(identifier);
  return entry ? entry->module.get() : nil;
}

id controllerFor(const std::string& identifier) {
  return send<id()>(moduleFor(identifier), "contentViewController"_sel);
}

bool isPresented() { return host().presented; }

bool present() {
  if (host().presented || !host().overlay) return false;
  send<void(BOOL, id)>(host().overlay.get(), "presentAnimated:completion:"_sel, YES, nil);
  return true;
}

bool dismiss() {
  if (!host().presented) return false;
  send<void(BOOL, id)>(host().overlay.get(), "dismissAnimated:completion:"_sel, YES, nil);
  return true;
}

Tap tap(const std::string& identifier) {
  if (entryFor(identifier) == nullptr) return Tap::NoSuchToggle;
  if (!host().presented) return Tap::NotPresented;
  id controller = controllerFor(identifier);
  send<void(id)>(controller, "buttonTapped:"_sel, send<id()>(controller, "buttonView"_sel));
  const bool on = send<BOOL()>(moduleFor(identifier), "isSelected"_sel);
  core::record("toggle", identifier + " tapped: " + (on ? "on" : "off"), {{"identifier", identifier}, {"selected", on}});
  return Tap::Tapped;
}

std::optional<Look> look(const std::string& identifier) {
  id module = moduleFor(identifier);
  if (module == nil) return std::nullopt;
  Look look;
  look.selected = send<BOOL()>(module, "isSelected"_sel);
  id controller = controllerFor(identifier);
  look.loaded = send<BOOL()>(controller, "isViewLoaded"_sel);
  if (!look.loaded) return look;
  id layer = send<id()>(send<id()>(controller, "view"_sel), "layer"_sel);
  const quartzcore::Presented shown = quartzcore::presentation(layer);
  look.background = shown.background;
  look.cornerRadius = shown.cornerRadius;
  const quartzcore::TransformParts parts = quartzcore::decompose(shown.transform);
  look.scaleX = parts.scaleX;
  look.scaleY = parts.scaleY;
  look.radiusUnset = uikit::cornerRadiusSets(send<id()>(controller, "view"_sel)) == detail::hostRadiusSets(controller);
  id highlight = detail::highlightViewOf(send<id()>(controller, "buttonView"_sel));
  look.highlightHidden = send<BOOL()>(highlight, "isHidden"_sel) == YES;
  return look;
}

std::optional<Shown> shown(const std::string& identifier) {
  id module = moduleFor(identifier);
  if (module == nil) return std::nullopt;
  auto named = [](id image) -> std::string {
    if (image == nil) return "none";
    return uikit::imageFileName(image).value_or("an image of no file");
  };
  Shown what;
  what.selectedGlyph = named(detail::glyphShown(module, true));
  what.unselectedGlyph = named(detail::glyphShown(module, false));
  what.selectedColor = uikit::colorComponents(send<id()>(module, "selectedColor"_sel));
  return what;
}

}  // namespace controlcenter
