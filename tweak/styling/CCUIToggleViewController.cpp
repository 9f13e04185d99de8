#include "tweak/styling/CCUIToggleViewController.h"

#include "platform/coregraphics/CGAffineTransform.h"
#include "platform/foundation/Literals.h"
#include "platform/libcolorpicker/libcolorpicker.h"
#include "platform/objc/Message.h"
#include "platform/objc/Ref.h"
#include "tweak/Settings.h"
#include "tweak/host/Host.h"
#include "tweak/styling/Styling.h"

using namespace objc::literals;
using namespace foundation::literals;
using objc::send;

namespace hooks::CCUIToggleViewController {

namespace {

id clearColor() { return send<id()>(host::UIColor(), "clearColor"_sel); }

// Shows or hides the highlight view, when the button has one; a host without it keeps
// the rest of the styling.
void setHighlightHidden(id controller, BOOL hidden) {
  bool found = false;
  id highlight = styling::highlightView(controller, found);
  if (found) send<void(BOOL)>(highlight, "setHidden:"_sel, hidden);
}

id chosenColor(id stylingFile) {
  if (host::flagIn(stylingFile, "isRandomColorEnabled"_ns)) return randomColor();
  id colorString = send<id(id)>(prefs, "objectForKey:"_sel, "bgTessaroColor"_ns);
  return LCPParseColorString(colorString, "#D78449"_ns);
}

}  // namespace

void (*orig_viewDidLoad)(id, SEL) = nullptr;
void (*orig_refreshState)(id, SEL) = nullptr;

void viewDidLoad(id self, SEL _cmd) {
  orig_viewDidLoad(self, _cmd);
  id stylingFile = host::readStylingFile();
  if (!styling::isTessaroToggle(self)) return;
  id previous = TessaroToggleModule;
  TessaroToggleModule = objc::retain(send<id()>(self, "module"_sel));
  objc::release(previous);

  if (!host::flagIn(stylingFile, "isEnabled"_ns)) {
    setHighlightHidden(self, NO);
    send<void(id)>(styling::contentView(self), "setBackgroundColor:"_sel, clearColor());
    return;
  }
  if (host::flagIn(stylingFile, "isColoredTogglesEnabled"_ns)) {
    setHighlightHidden(self, YES);
    send<void(id)>(styling::contentView(self), "setBackgroundColor:"_sel, chosenColor(stylingFile));
  } else {
    setHighlightHidden(self, NO);
    send<void(id)>(styling::contentView(self), "setBackgroundColor:"_sel, clearColor());
  }
  styling::applyCornerRadius(self, stylingFile);
}

void refreshState(id self, SEL _cmd) {
  orig_refreshState(self, _cmd);
  id stylingFile = host::readStylingFile();
  if (!styling::isTessaroToggle(self)) return;
  if (!host::flagIn(stylingFile, "isEnabled"_ns)) return;

  if (host::flagIn(stylingFile, "isScaleToggleEnabled"_ns)) {
    objc::Ref controller{self};
    objc::Ref file{stylingFile};
    host::animate(0.2, [controller, file] {
      const float x = host::floatIn(file, "scaleToggle"_ns);
      const float y = host::floatIn(file, "scaleToggle"_ns);
      send<void(CGAffineTransform)>(send<id()>(controller, "view"_sel), "setTransform:"_sel, CGAffineTransformMakeScale(x, y));
    });
  }
  styling::applyCornerRadius(self, stylingFile);
  if (host::flagIn(stylingFile, "isColoredTogglesEnabled"_ns)) {
    setHighlightHidden(self, YES);
    if (host::flagIn(stylingFile, "isRandomColorEnabled"_ns)) {
      send<void(id)>(styling::contentView(self), "setBackgroundColor:"_sel, randomColor());
    }
  } else {
    setHighlightHidden(self, NO);
  }
}

}  // namespace hooks::CCUIToggleViewController
