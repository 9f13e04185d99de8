#pragma once
// The stand-in ControlCenterUIKit and Control Center itself: toggle modules (the host's
// own and those of module bundles on disk), their view controllers and button views, and
// the overlay that presents them.
//
// Module bundles are read at start from the bundles directory, one "NAME.bundle"
// directory each, in name order: Info.plist names the identifier (CFBundleIdentifier),
// the executable (CFBundleExecutable, a file in the bundle) and the principal class
// (NSPrincipalClass, a CCUIToggleModule). The executable is loaded, the principal class
// made by name and given a module context with the bundle's identifier. A bundle without
// a readable Info.plist, with a key missing or of the wrong kind, whose executable is
// missing or does not load, whose principal class is unknown or no toggle module, or whose
// identifier is taken, is skipped; each bundle's outcome is an event of the log ("module").
//
// Presenting Control Center begins the overlay's presentation
// (-_beginPresentationAnimated:interactive:), inside which each toggle's view loads, once
// per controller, and refreshes. Tapping a toggle sends its module -setSelected: with the
// opposite of -isSelected, then refreshes its controller.

#include "platform/objc/Runtime.h"
#include "platform/quartzcore/Values.h"

#include <filesystem>
#include <optional>
#include <string>
#include <vector>

namespace controlcenter {

// Where a jailbroken device keeps third-party Control Center modules.
inline constexpr const char* kModuleBundles = "/Library/ControlCenter/Bundles";

struct Options {
  // The button view keeps its highlight view in the instance variable
  // "_highlightedBackgroundView"; false for a host that keeps it elsewhere.
  bool highlightIvar = true;
};

// The identifiers of the host's own toggles, in Control Center's order.
std::vector<std::string> hostToggles();

// Defines the classes, except those the device leaves out. Idempotent.
void registerClasses(const Options& options = {});

struct BundleResult {
  std::string bundle;  // "TessaroModule.bundle"
  bool loaded = false;
  std::string identifier;
  std::string reason;  // why it was skipped
};

// Makes the host's own toggles, then loads the bundles of `bundles` (a device path),
// and builds Control Center's window. Once.
std::vector<BundleResult> start(const std::string& bundles = kModuleBundles);

// The toggles in Control Center's order, by module identifier.
std::vector<std::string> toggles();
id moduleFor(const std::string& identifier);
// The module's view controller; nil for an unknown identifier.
id controllerFor(const std::string& identifier);

bool isPresented();
// Each answers false, doing nothing, when Control Center already is in that state.
bool present();
bool dismiss();

enum class Tap { Tapped, NotPresented, NoSuchToggle };
Tap tap(const std::string& identifier);

// What a toggle shows now, animations at their present values.
struct Look {
  bool selected = false;
  bool loaded = false;  // its view has loaded; the rest is meaningful only then
  quartzcore::Color background;
  double cornerRadius = 0;
  // Its view's radius is the host's own: nobody set one after the host built the view.
  bool radiusUnset = true;
  double scaleX = 1, scaleY = 1;
  bool highlightHidden = false;  // the button's highlight view is hidden (setHidden:)
};
std::optional<Look> look(const std::string& identifier);

// What the module gives the host to show, asked now as the host asks it when it shows the
// toggle (so its file reads show as the host's would): the name of the image file each
// glyph shows ("ON", "OFF"; see uikit::imageFileName) or "none" without an image, or "an
// image of no file" when it cannot be followed to one, and its selected colour.
struct Shown {
  std::string selectedGlyph, unselectedGlyph;
  std::optional<quartzcore::Color> selectedColor;  // none: the module gives none
};
std::optional<Shown> shown(const std::string& identifier);

}  // namespace controlcenter
