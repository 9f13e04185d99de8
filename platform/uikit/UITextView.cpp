// UITextView: text in a view, shaped and drawn in the system font at every render. As
// UIKit's, the text sits inside an inset of 8 points above and below and a padding of 5
// points either side; it is white-backed, black, 12 point and left-aligned until told
// otherwise; it wraps at words and what falls outside the view shows unless the view
// clips to its bounds. Selectable or not, nothing here takes touches.

#include "platform/coregraphics/Text.h"
#include "platform/foundation/Foundation.h"
#include "platform/objc/ClassBuilder.h"
#include "platform/objc/Message.h"
#include "platform/quartzcore/QuartzCore.h"
#include "platform/uikit/Classes.h"
#include "platform/uikit/UIKit.h"

#include <memory>

namespace uikit::detail {
namespace {

using namespace objc::literals;
using objc::send;

constexpr double kInsetTop = 8, kInsetBottom = 8, kPadding = 5;
// NSTextAlignment, as the device numbers it.
constexpr long long kAlignmentLeft = 0, kAlignmentCenter = 1, kAlignmentRight = 2;

struct TextViewState {
  objc::Ref text;
  objc::Ref font;
  objc::Ref textColor;
  long long alignment = kAlignmentLeft;
  bool selectable = true;
  bool editable = true;
  // The view, as the layer's drawing reaches it: cleared when the view goes, should its
  // layer live on in another tree.
  std::shared_ptr<id> owner = std::make_shared<id>(nil);
  TextViewState() = default;
  TextViewState(const TextViewState&) = delete;
  TextViewState& operator=(const TextViewState&) = delete;
  ~TextViewState() { *owner = nil; }
};

TextViewState& textViewOf(id self) { return objc::stateOf<TextViewState>(self); }

// What the layer draws: the text as the view holds it at the moment of the render.
void drawText(id self, CGContextRef context, CGRect bounds) {
  const TextViewState& state = textViewOf(self);
  const std::string text = foundation::stringOf(state.text).value_or("");
  if (text.empty()) return;
  coregraphics::TextStyle style;
  style.pointSize = fontPointSize(state.font);
  const quartzcore::Color color = colorComponents(state.textColor).value_or(quartzcore::Color{0, 0, 0, 1});
  style.color[0] = color.r;
  style.color[1] = color.g;
  style.color[2] = color.b;
  style.color[3] = color.a;
  style.alignment = state.alignment == kAlignmentCenter  ? coregraphics::TextAlignment::Center
                    : state.alignment == kAlignmentRight ? coregraphics::TextAlignment::Right
                                                         : coregraphics::TextAlignment::Left;
  const CGRect box = CGRectMake(bounds.origin.x + kPadding, bounds.origin.y + kInsetTop,
                                std::max(bounds.size.width - 2 * kPadding, 0.0),
                                std::max(bounds.size.height - kInsetTop - kInsetBottom, 0.0));
  coregraphics::drawText(context, text, style, box);
}

id initWithFrame(id self, SEL, CGRect frame) {
  self = objc::sendSuper<id(CGRect)>(self, objc::getClass("UITextView"), "initWithFrame:"_sel, frame);
  send<void(id)>(self, "setBackgroundColor:"_sel, makeColor({1, 1, 1, 1}));
  *textViewOf(self).owner = self;
  quartzcore::setContentDrawer(send<id()>(self, "layer"_sel),
                               [owner = textViewOf(self).owner](CGContextRef context, CGRect bounds) {
                                 if (*owner != nil) drawText(*owner, context, bounds);
                               });
  return self;
}

id text(id self, SEL) {
  const TextViewState& state = textViewOf(self);
  return state.text ? state.text.get() : objc::autorelease(foundation::makeString("").take());
}
void setText(id self, SEL, id text) {
  textViewOf(self).text = text ? objc::Ref::adopt(send<id()>(text, "copy"_sel)) : objc::Ref();
}
id font(id self, SEL) { return textViewOf(self).font; }
void setFont(id self, SEL, id font) { textViewOf(self).font = objc::Ref(font); }
id textColor(id self, SEL) { return textViewOf(self).textColor; }
void setTextColor(id self, SEL, id color) { textViewOf(self).textColor = objc::Ref(color); }
long long textAlignment(id self, SEL) { return textViewOf(self).alignment; }
void setTextAlignment(id self, SEL, long long alignment) { textViewOf(self).alignment = alignment; }
BOOL isSelectable(id self, SEL) { return textViewOf(self).selectable ? YES : NO; }
void setSelectable(id self, SEL, BOOL selectable) { textViewOf(self).selectable = selectable == YES; }
BOOL isEditable(id self, SEL) { return textViewOf(self).editable ? YES : NO; }
void setEditable(id self, SEL, BOOL editable) { textViewOf(self).editable = editable == YES; }

}  // namespace

void registerUITextView() {
  objc::ClassBuilder("UITextView", "UIView")
      .state<TextViewState>()
      .method("initWithFrame:"_sel, &initWithFrame)
      .method("text"_sel, &text)
      .method("setText:"_sel, &setText)
      .method("font"_sel, &font)
      .method("setFont:"_sel, &setFont)
      .method("textColor"_sel, &textColor)
      .method("setTextColor:"_sel, &setTextColor)
      .method("textAlignment"_sel, &textAlignment)
      .method("setTextAlignment:"_sel, &setTextAlignment)
      .method("isSelectable"_sel, &isSelectable)
      .method("setSelectable:"_sel, &setSelectable)
      .method("isEditable"_sel, &isEditable)
      .method("setEditable:"_sel, &setEditable)
      .build();
}

}  // namespace uikit::detail
