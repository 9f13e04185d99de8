// UIView: a rectangle of the screen with its layer, subviews, looks and geometry. The
// geometry is the layer's: frame, bounds, center (the layer's position) and transform,
// which applies about the centre. Changes inside an animation block animate (see
// UIViewAnimation.cpp).

#include "platform/foundation/Literals.h"
#include "platform/objc/ClassBuilder.h"
#include "platform/objc/Message.h"
#include "platform/quartzcore/Encodings.h"
#include "platform/quartzcore/QuartzCore.h"
#include "platform/uikit/Classes.h"
#include "platform/uikit/UIKit.h"
#include "platform/uikit/View.h"

#include <algorithm>

namespace uikit::detail {
namespace {

using namespace objc::literals;
using namespace foundation::literals;
using objc::send;

Class viewClass() {
  static const Class cls = objc::getClass("UIView");
  return cls;
}

id layerOf(id self) { return viewOf(self).layer; }

id initWithFrame(id self, SEL, CGRect frame) {
  viewOf(self).layer = objc::Ref::adopt(send<id()>(objc::getClass("CALayer"), "new"_sel));
  send<void(CGRect)>(self, "setFrame:"_sel, frame);
  return self;
}

id init(id self, SEL) { return send<id(CGRect)>(self, "initWithFrame:"_sel, CGRectZero); }

CGRect frame(id self, SEL) { return send<CGRect()>(layerOf(self), "frame"_sel); }
void setFrame(id self, SEL, CGRect r) {
  const CGRect bounds = send<CGRect()>(layerOf(self), "bounds"_sel);
  // The transform stays: frame sets the untransformed size and the centre.
  change(self, "bounds", CGRect{bounds.origin, r.size});
  change(self, "position", CGPoint{r.origin.x + r.size.width / 2, r.origin.y + r.size.height / 2});
}
CGRect bounds(id self, SEL) { return send<CGRect()>(layerOf(self), "bounds"_sel); }
void setBounds(id self, SEL, CGRect r) { change(self, "bounds", r); }
CGPoint center(id self, SEL) { return send<CGPoint()>(layerOf(self), "position"_sel); }
void setCenter(id self, SEL, CGPoint p) { change(self, "position", p); }
CGAffineTransform transform(id self, SEL) { return send<CGAffineTransform()>(layerOf(self), "affineTransform"_sel); }
void setTransform(id self, SEL, CGAffineTransform t) { change(self, "transform", t); }
CGFloat alpha(id self, SEL) { return send<float()>(layerOf(self), "opacity"_sel); }
void setAlpha(id self, SEL, CGFloat value) { change(self, "opacity", std::clamp(value, 0.0, 1.0)); }
BOOL isHidden(id self, SEL) { return send<BOOL()>(layerOf(self), "isHidden"_sel); }
void setHidden(id self, SEL, BOOL hidden) { send<void(BOOL)>(layerOf(self), "setHidden:"_sel, hidden); }
BOOL clipsToBounds(id self, SEL) { return send<BOOL()>(layerOf(self), "masksToBounds"_sel); }
void setClipsToBounds(id self, SEL, BOOL clips) { send<void(BOOL)>(layerOf(self), "setMasksToBounds:"_sel, clips); }
id layer(id self, SEL) { return layerOf(self); }

id backgroundColor(id self, SEL) { return viewOf(self).backgroundColor; }
void setBackgroundColor(id self, SEL, id color) {
  viewOf(self).backgroundColor = objc::Ref(color);
  change(self, "backgroundColor", colorComponents(color).value_or(quartzcore::Color{}));
}

// The corners of the view, on the continuous curve of the device's own rounded views.
void setContinuousCornerRadius(id self, SEL, CGFloat radius) {
  ++viewOf(self).cornerRadiusSets;
  send<void(id)>(layerOf(self), "setCornerCurve:"_sel, "continuous"_ns);
  change(self, "cornerRadius", radius);
}
CGFloat continuousCornerRadius(id self, SEL) { return send<CGFloat()>(layerOf(self), "cornerRadius"_sel); }

id subviews(id self, SEL) {
  id array = send<id()>(objc::getClass("NSMutableArray"), "array"_sel);
  for (const objc::Ref& subview : viewOf(self).subviews) send<void(id)>(array, "addObject:"_sel, subview.get());
  return array;
}

id superview(id self, SEL) { return viewOf(self).superview; }

void insertSubviewAtIndex(id self, SEL, id view, long long index) {
  if (!isView(view) || view == self) return;
  objc::Ref keep{view};
  if (id old = viewOf(view).superview) {
    auto& siblings = viewOf(old).subviews;
    siblings.erase(std::remove(siblings.begin(), siblings.end(), view), siblings.end());
  }
  auto& list = viewOf(self).subviews;
  const auto at = static_cast<std::size_t>(std::clamp<long long>(index, 0, static_cast<long long>(list.size())));
  list.insert(list.begin() + static_cast<std::ptrdiff_t>(at), keep);
  viewOf(view).superview = self;
  send<void(id, unsigned int)>(layerOf(self), "insertSublayer:atIndex:"_sel, layerOf(view), static_cast<unsigned int>(at));
}

void addSubview(id self, SEL, id view) {
  insertSubviewAtIndex(self, "insertSubview:atIndex:"_sel, view, static_cast<long long>(viewOf(self).subviews.size()));
}

// Its animations, and those of everything in it, are cut short.
void removeFromSuperview(id self, SEL) {
  id parent = viewOf(self).superview;
  if (parent == nil) return;
  objc::Ref keep{self};
  auto& siblings = viewOf(parent).subviews;
  siblings.erase(std::remove(siblings.begin(), siblings.end(), self), siblings.end());
  viewOf(self).superview = nil;
  send<void()>(layerOf(self), "removeFromSuperlayer"_sel);
}

id window(id self, SEL) {
  static const Class windowClass = objc::getClass("UIWindow");
  for (id view = self; view != nil; view = viewOf(view).superview) {
    if (send<BOOL(Class)>(view, "isKindOfClass:"_sel, windowClass)) return view;
  }
  return nil;
}

}  // namespace

ViewState::~ViewState() {
  for (const objc::Ref& subview : subviews) viewOf(subview).superview = nil;
}

ViewState& viewOf(id view) { return objc::stateOf<ViewState>(view); }

bool isView(id object) { return object != nil && send<BOOL(Class)>(object, "isKindOfClass:"_sel, viewClass()) == YES; }

void registerUIView() {
  objc::ClassBuilder("UIView", objc::rootClass())
      .state<ViewState>()
      .method("initWithFrame:"_sel, &initWithFrame)
      .method("init"_sel, &init)
      .method("frame"_sel, &frame)
      .method("setFrame:"_sel, &setFrame)
      .method("bounds"_sel, &bounds)
      .method("setBounds:"_sel, &setBounds)
      .method("center"_sel, &center)
      .method("setCenter:"_sel, &setCenter)
      .method("transform"_sel, &transform)
      .method("setTransform:"_sel, &setTransform)
      .method("alpha"_sel, &alpha)
      .method("setAlpha:"_sel, &setAlpha)
      .method("isHidden"_sel, &isHidden)
      .method("setHidden:"_sel, &setHidden)
      .method("clipsToBounds"_sel, &clipsToBounds)
      .method("setClipsToBounds:"_sel, &setClipsToBounds)
      .method("backgroundColor"_sel, &backgroundColor)
      .method("setBackgroundColor:"_sel, &setBackgroundColor)
      .method("_setContinuousCornerRadius:"_sel, &setContinuousCornerRadius)
      .method("_continuousCornerRadius"_sel, &continuousCornerRadius)
      .method("layer"_sel, &layer)
      .method("subviews"_sel, &subviews)
      .method("superview"_sel, &superview)
      .method("addSubview:"_sel, &addSubview)
      .method("insertSubview:atIndex:"_sel, &insertSubviewAtIndex)
      .method("removeFromSuperview"_sel, &removeFromSuperview)
      .method("window"_sel, &window)
      .build();
}

}  // namespace uikit::detail

namespace uikit {

std::size_t cornerRadiusSets(id view) { return detail::isView(view) ? detail::viewOf(view).cornerRadiusSets : 0; }

}  // namespace uikit
