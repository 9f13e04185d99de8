// CCUIButtonModuleView: a toggle's button. Over its content lies the highlighted
// background, white, shown (alpha 1) while the toggle is selected and gone (alpha 0)
// otherwise, and over that the glyph, a template tinted with the glyph colour, centred
// at its own size. The highlight view is kept in the instance variable
// "_highlightedBackgroundView", unless the device's host keeps it elsewhere.

#include "platform/core/HostClasses.h"
#include "platform/objc/ClassBuilder.h"
#include "platform/objc/Ivar.h"
#include "platform/objc/Message.h"
#include "platform/objc/Ref.h"
#include "platform/controlcenter/Classes.h"

namespace controlcenter::detail {
namespace {

using namespace objc::literals;
using objc::send;

constexpr long long kAlwaysTemplate = 2;
constexpr const char* kHighlightIvar = "_highlightedBackgroundView";

struct ButtonState {
  objc::Ref glyphView;
  id highlight = nil;  // owned; only when the class has no instance variable for it
  bool selected = false;
  ButtonState() = default;
  ButtonState(const ButtonState&) = delete;
  ButtonState& operator=(const ButtonState&) = delete;
  ~ButtonState() { objc::release(highlight); }
};

ButtonState& buttonOf(id self) { return objc::stateOf<ButtonState>(self); }

id& highlightSlot(id self) {
  if (id* slot = objc::ivarPointer<id>(self, kHighlightIvar)) return *slot;
  return buttonOf(self).highlight;
}

id makeView(const char* cls, CGRect frame) {
  return send<id(CGRect)>(send<id()>(objc::getClass(cls), "alloc"_sel), "initWithFrame:"_sel, frame);
}

id initWithFrame(id self, SEL sel, CGRect frame) {
  self = objc::sendSuper<id(CGRect)>(self, objc::getClass("CCUIButtonModuleView"), sel, frame);
  const CGRect bounds{CGPointZero, frame.size};
  id highlight = makeView("UIView", bounds);
  send<void(id)>(highlight, "setBackgroundColor:"_sel, send<id()>(objc::getClass("UIColor"), "whiteColor"_sel));
  send<void(CGFloat)>(highlight, "_setContinuousCornerRadius:"_sel, kToggleRadius);
  send<void(CGFloat)>(highlight, "setAlpha:"_sel, 0.0);
  send<void(id)>(self, "addSubview:"_sel, highlight);
  // The slot takes the view's one reference, released at dealloc.
  highlightSlot(self) = highlight;
  buttonOf(self).glyphView = objc::Ref::adopt(send<id(id)>(send<id()>(objc::getClass("UIImageView"), "alloc"_sel),
                                                           "initWithImage:"_sel, nil));
  send<void(id)>(self, "addSubview:"_sel, buttonOf(self).glyphView.get());
  return self;
}

void setGlyphImage(id self, SEL, id image) {
  id view = buttonOf(self).glyphView;
  id shape = send<id(long long)>(image, "imageWithRenderingMode:"_sel, kAlwaysTemplate);
  send<void(id)>(view, "setImage:"_sel, shape);
  const CGSize size = send<CGSize()>(image, "size"_sel);
  const CGRect bounds = send<CGRect()>(self, "bounds"_sel);
  send<void(CGRect)>(view, "setFrame:"_sel,
                     CGRectMake((bounds.size.width - size.width) / 2, (bounds.size.height - size.height) / 2, size.width,
                                size.height));
}

id glyphImage(id self, SEL) { return send<id()>(buttonOf(self).glyphView.get(), "image"_sel); }
void setGlyphColor(id self, SEL, id color) { send<void(id)>(buttonOf(self).glyphView.get(), "setTintColor:"_sel, color); }
id glyphColor(id self, SEL) { return send<id()>(buttonOf(self).glyphView.get(), "tintColor"_sel); }

void setSelected(id self, SEL, BOOL selected) {
  buttonOf(self).selected = selected != NO;
  send<void(CGFloat)>(highlightSlot(self), "setAlpha:"_sel, selected ? 1.0 : 0.0);
}
BOOL isSelected(id self, SEL) { return buttonOf(self).selected ? YES : NO; }

}  // namespace

id highlightViewOf(id button) { return button != nil ? highlightSlot(button) : nil; }

void registerCCUIButtonModuleView(const Options& options) {
  core::defineHostClass(
      "CCUIButtonModuleView",
      [&options](objc::ClassBuilder& c) {
        c.state<ButtonState>();
        if (options.highlightIvar) c.strongIvar(kHighlightIvar);
        c.method("initWithFrame:"_sel, &initWithFrame)
            .method("setGlyphImage:"_sel, &setGlyphImage)
            .method("glyphImage"_sel, &glyphImage)
            .method("setGlyphColor:"_sel, &setGlyphColor)
            .method("glyphColor"_sel, &glyphColor)
            .method("setSelected:"_sel, &setSelected)
            .method("isSelected"_sel, &isSelected);
      },
      "UIView");
}

}  // namespace controlcenter::detail
