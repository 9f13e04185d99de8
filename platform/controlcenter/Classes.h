#pragma once
// Internal: Control Center's classes, one file each, and what they share.

#include "platform/controlcenter/ControlCenter.h"
#include "platform/coregraphics/CGContext.h"
#include "platform/objc/Ref.h"

namespace controlcenter::detail {

void registerCCUIContentModuleContext();
void registerCCUIToggleModule();
void registerCCUIButtonModuleView(const Options& options);
void registerCCUIToggleViewController();
void registerCCUIModularControlCenterOverlayViewController();
void registerCCUIDoNotDisturbModule();
void registerCCUIOrientationLockModule();

// The host's own toggles, made at start, by identifier and class name.
struct HostModule {
  const char* identifier;
  const char* className;
};
const std::vector<HostModule>& hostModules();
// A 32 x 32 point template glyph at the screen's scale, drawn in white by `draw`.
id drawGlyph(void (*draw)(CGContextRef));
id opaqueColor(double red, double green, double blue);

// A new module of `cls` with a context for `identifier`, owned by the caller.
id makeModule(Class cls, const std::string& identifier);

// What a bundle's Info.plist says of it: the identifier, executable and principal class it
// names, or the reason it cannot be loaded (with the identifier, when it gives one). Bytes
// from outside: a file that does not read as a dictionary is a reason like any other.
struct BundleInfo {
  std::string identifier;
  std::string executable;      // a plain file name
  std::string principalClass;
  std::string reason;          // empty when all three are there
};
BundleInfo readBundleInfo(const std::filesystem::path& infoPath);

// The bundles of `directory`, each loaded as a module; in name order.
struct Loaded {
  std::string identifier;
  id module;  // owned
};
std::vector<BundleResult> loadBundles(const std::string& directory, std::vector<std::string> taken,
                                      std::vector<Loaded>& modules);

// Every toggle of Control Center, in its order.
struct Entry {
  std::string identifier;
  objc::Ref module;
};
const std::vector<Entry>& registry();
// Control Center's window; nil before start.
id window();
void setPresented(bool presented);

// The glyph the host shows for a module in a state: when selected its selected glyph, or
// its plain one when it has none; when not, its plain glyph.
id glyphShown(id module, bool selected);
// The highlight view of a toggle's button; nil without one.
id highlightViewOf(id button);
// How often the toggle's view had its radius set when the host had built it.
std::size_t hostRadiusSets(id controller);

// Size and corner radius of a toggle, as the host lays them out.
inline constexpr double kToggleSide = 64;
inline constexpr double kToggleRadius = 19;

}  // namespace controlcenter::detail
