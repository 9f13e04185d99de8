// CALayer: geometry, looks, sublayers and animations by key. Every layer's animatable
// values live in its model; animations are applied on top when it is shown.

#include "platform/core/EventLog.h"
#include "platform/foundation/Foundation.h"
#include "platform/objc/ClassBuilder.h"
#include "platform/objc/Message.h"
#include "platform/quartzcore/Encodings.h"
#include "platform/quartzcore/Layer.h"

#include <algorithm>
#include <cmath>

namespace quartzcore {

namespace {

using namespace objc::literals;
using objc::send;

Class layerClass() {
  static const Class cls = objc::getClass("CALayer");
  return cls;
}

double now() { return core::RunLoop::main().now(); }

// Both name the same value or one a part of the other ("transform", "transform.scale").
bool overlaps(const std::string& a, const std::string& b) {
  const std::string& shorter = a.size() <= b.size() ? a : b;
  const std::string& longer = a.size() <= b.size() ? b : a;
  return longer.compare(0, shorter.size(), shorter) == 0 && (longer.size() == shorter.size() || longer[shorter.size()] == '.');
}

void endAnimationsOf(id layer, const std::string& keyPath) {
  auto& animations = layerOf(layer).animations;
  for (std::size_t i = animations.size(); i-- > 0;) {
    if (const auto* parameters = parametersOf(animations[i].animation); parameters && overlaps(parameters->keyPath, keyPath)) {
      stopAnimation(layer, i, false);
    }
  }
}

void setValue(id self, const char* keyPath, const Value& value) { setModelValue(self, keyPath, value); }

CGRect bounds(id self, SEL) { return layerOf(self).model.bounds; }
void setBounds(id self, SEL, CGRect r) { setValue(self, "bounds", r); }
CGPoint position(id self, SEL) { return layerOf(self).model.position; }
void setPosition(id self, SEL, CGPoint p) { setValue(self, "position", p); }
CGPoint anchorPoint(id self, SEL) { return layerOf(self).anchorPoint; }
void setAnchorPoint(id self, SEL, CGPoint p) { layerOf(self).anchorPoint = p; }
CGAffineTransform affineTransform(id self, SEL) { return layerOf(self).model.transform; }
void setAffineTransform(id self, SEL, CGAffineTransform t) { setValue(self, "transform", t); }
float opacity(id self, SEL) { return static_cast<float>(layerOf(self).model.opacity); }
void setOpacity(id self, SEL, float value) { setValue(self, "opacity", static_cast<double>(value)); }
CGFloat cornerRadius(id self, SEL) { return layerOf(self).model.cornerRadius; }
void setCornerRadius(id self, SEL, CGFloat value) { setValue(self, "cornerRadius", value); }
BOOL isHidden(id self, SEL) { return layerOf(self).hidden ? YES : NO; }
void setHidden(id self, SEL, BOOL hidden) { layerOf(self).hidden = hidden != NO; }
BOOL masksToBounds(id self, SEL) { return layerOf(self).masksToBounds ? YES : NO; }
void setMasksToBounds(id self, SEL, BOOL masks) { layerOf(self).masksToBounds = masks != NO; }
CGFloat contentsScale(id self, SEL) { return layerOf(self).contentsScale; }

// "circular" or "continuous"; anything else is ignored.
id cornerCurve(id self, SEL) {
  return objc::autorelease(foundation::makeString(layerOf(self).continuousCorners ? "continuous" : "circular").take());
}
void setCornerCurve(id self, SEL, id curve) {
  auto name = foundation::stringOf(curve);
  if (name == "continuous" || name == "circular") layerOf(self).continuousCorners = *name == "continuous";
}

CGColorRef backgroundColor(id self, SEL) { return layerOf(self).backgroundRef; }
void setBackgroundColor(id self, SEL, CGColorRef color) {
  const CGFloat* c = CGColorGetComponents(color);
  setValue(self, "backgroundColor", Color{c[0], c[1], c[2], c[3]});
}

// The smallest upright rectangle around the transformed bounds, in the superlayer.
CGRect frame(id self, SEL) {
  const LayerState& s = layerOf(self);
  const CGSize size = s.model.bounds.size;
  const CGAffineTransform& t = s.model.transform;
  double minX = INFINITY, minY = INFINITY, maxX = -INFINITY, maxY = -INFINITY;
  for (const CGPoint corner : {CGPoint{0, 0}, CGPoint{size.width, 0}, CGPoint{0, size.height}, CGPoint{size.width, size.height}}) {
    const CGPoint fromAnchor{corner.x - s.anchorPoint.x * size.width, corner.y - s.anchorPoint.y * size.height};
    const CGPoint p = CGPointApplyAffineTransform(fromAnchor, CGAffineTransform{t.a, t.b, t.c, t.d, 0, 0});
    minX = std::min(minX, p.x + t.tx);
    maxX = std::max(maxX, p.x + t.tx);
    minY = std::min(minY, p.y + t.ty);
    maxY = std::max(maxY, p.y + t.ty);
  }
  return CGRectMake(s.model.position.x + minX, s.model.position.y + minY, maxX - minX, maxY - minY);
}

void setFrame(id self, SEL, CGRect r) {
  LayerState& s = layerOf(self);
  setValue(self, "bounds", CGRect{s.model.bounds.origin, r.size});
  setValue(self, "position", CGPoint{r.origin.x + s.anchorPoint.x * r.size.width, r.origin.y + s.anchorPoint.y * r.size.height});
}

id sublayers(id self, SEL) {
  id array = send<id()>(objc::getClass("NSMutableArray"), "array"_sel);
  for (const objc::Ref& sublayer : layerOf(self).sublayers) send<void(id)>(array, "addObject:"_sel, sublayer.get());
  return array;
}

id superlayer(id self, SEL) { return layerOf(self).superlayer; }

// Out of its superlayer's list, without ending its animations: it is moving.
void detach(id layer) {
  id parent = layerOf(layer).superlayer;
  if (parent == nil) return;
  objc::Ref keep{layer};
  auto& siblings = layerOf(parent).sublayers;
  siblings.erase(std::remove(siblings.begin(), siblings.end(), layer), siblings.end());
  layerOf(layer).superlayer = nil;
}

void insertSublayerAtIndex(id self, SEL, id layer, unsigned int index) {
  if (!isLayer(layer) || layer == self) return;
  for (id up = self; up != nil; up = layerOf(up).superlayer) {
    if (up == layer) objc::fatal("-[CALayer insertSublayer:atIndex:]: a layer cannot contain its own superlayer");
  }
  objc::Ref keep{layer};
  detach(layer);
  auto& list = layerOf(self).sublayers;
  const auto at = std::min<std::size_t>(index, list.size());
  list.insert(list.begin() + static_cast<std::ptrdiff_t>(at), keep);
  layerOf(layer).superlayer = self;
}

void addSublayer(id self, SEL, id layer) {
  insertSublayerAtIndex(self, "insertSublayer:atIndex:"_sel, layer, static_cast<unsigned int>(layerOf(self).sublayers.size()));
}

void removeFromSuperlayer(id self, SEL) {
  if (layerOf(self).superlayer == nil) return;
  objc::Ref keep{self};
  stopAllAnimations(self);
  detach(self);
}

void addAnimationForKey(id self, SEL, id animation, id key) { addAnimation(self, animation, key); }
void removeAnimationForKey(id self, SEL, id key) {
  auto name = foundation::stringOf(key);
  auto& animations = layerOf(self).animations;
  for (std::size_t i = animations.size(); name && i-- > 0;) {
    if (animations[i].key == name) stopAnimation(self, i, false);
  }
}
void removeAllAnimations(id self, SEL) {
  for (std::size_t i = layerOf(self).animations.size(); i-- > 0;) stopAnimation(self, i, false);
}
id animationForKey(id self, SEL, id key) {
  auto name = foundation::stringOf(key);
  for (const Running& running : layerOf(self).animations) {
    if (name && running.key == name) return running.animation;
  }
  return nil;
}
id animationKeys(id self, SEL) {
  const auto& animations = layerOf(self).animations;
  if (std::none_of(animations.begin(), animations.end(), [](const Running& r) { return r.key.has_value(); })) return nil;
  id keys = send<id()>(objc::getClass("NSMutableArray"), "array"_sel);
  for (const Running& running : animations) {
    if (running.key) send<void(id)>(keys, "addObject:"_sel, foundation::makeString(*running.key).get());
  }
  return keys;
}

id valueForKeyPath(id self, SEL, id keyPath) {
  auto value = modelValue(self, foundation::stringOf(keyPath).value_or(""));
  return value ? objc::autorelease(objectFromValue(*value).take()) : nil;
}

void setValueForKeyPath(id self, SEL, id object, id keyPath) {
  const std::string path = foundation::stringOf(keyPath).value_or("");
  auto current = modelValue(self, path);
  if (!current) return;
  if (auto value = valueFromObject(object, *current)) setModelValue(self, path, *value);
}

void renderInContext(id self, SEL, CGContextRef context) { render(self, context); }

id presentationLayer(id self, SEL) {
  id copy = send<id()>(layerClass(), "layer"_sel);
  LayerState& target = layerOf(copy);
  const LayerState& source = layerOf(self);
  target.model = presented(source, now());
  target.anchorPoint = source.anchorPoint;
  target.hidden = source.hidden;
  target.masksToBounds = source.masksToBounds;
  target.continuousCorners = source.continuousCorners;
  const Color& c = target.model.background;
  target.backgroundRef = CGColorCreateSRGB(c.r, c.g, c.b, c.a);
  return copy;
}

id layer(id cls, SEL) { return objc::autorelease(send<id()>(cls, "new"_sel)); }

}  // namespace

LayerState::~LayerState() {
  for (const objc::Ref& sublayer : sublayers) layerOf(sublayer).superlayer = nil;
  CGImageRelease(contents);
  CGColorRelease(backgroundRef);
}

LayerState& layerOf(id layer) { return objc::stateOf<LayerState>(layer); }

bool isLayer(id object) {
  return object != nil && send<BOOL(Class)>(object, "isKindOfClass:"_sel, layerClass()) == YES;
}

std::optional<Value> presentedValue(id layer, const std::string& keyPath) {
  const KeyPath* path = findKeyPath(keyPath);
  if (path == nullptr || !isLayer(layer)) return std::nullopt;
  return path->get(presented(layerOf(layer), now()));
}

std::optional<Value> modelValue(id layer, const std::string& keyPath) {
  const KeyPath* path = findKeyPath(keyPath);
  if (path == nullptr || !isLayer(layer)) return std::nullopt;
  return path->get(layerOf(layer).model);
}

bool setModelValue(id layer, const std::string& keyPath, const Value& value) {
  const KeyPath* path = findKeyPath(keyPath);
  if (path == nullptr || !isLayer(layer) || path->get(layerOf(layer).model).index() != value.index()) return false;
  endAnimationsOf(layer, keyPath);
  LayerState& state = layerOf(layer);
  path->set(state.model, value);
  if (keyPath == "backgroundColor") {
    const Color& c = state.model.background;
    CGColorRelease(state.backgroundRef);
    state.backgroundRef = c.a > 0 || c.r > 0 || c.g > 0 || c.b > 0 ? CGColorCreateSRGB(c.r, c.g, c.b, c.a) : nullptr;
  }
  return true;
}

void setContents(id layer, CGImageRef image, double scale) {
  if (!isLayer(layer)) return;
  LayerState& state = layerOf(layer);
  CGImageRetain(image);
  CGImageRelease(state.contents);
  state.contents = image;
  state.contentsScale = scale > 0 ? scale : 1;
}

void setContentDrawer(id layer, ContentDrawer drawer) {
  if (isLayer(layer)) layerOf(layer).drawContent = std::move(drawer);
}

Presented presentation(id layer) {
  if (!isLayer(layer)) return {};
  return presented(layerOf(layer), now());
}

void registerCALayer() {
  objc::ClassBuilder("CALayer", objc::rootClass())
      .state<LayerState>()
      .classMethod("layer"_sel, &layer)
      .method("bounds"_sel, &bounds)
      .method("setBounds:"_sel, &setBounds)
      .method("position"_sel, &position)
      .method("setPosition:"_sel, &setPosition)
      .method("anchorPoint"_sel, &anchorPoint)
      .method("setAnchorPoint:"_sel, &setAnchorPoint)
      .method("frame"_sel, &frame)
      .method("setFrame:"_sel, &setFrame)
      .method("affineTransform"_sel, &affineTransform)
      .method("setAffineTransform:"_sel, &setAffineTransform)
      .method("opacity"_sel, &opacity)
      .method("setOpacity:"_sel, &setOpacity)
      .method("isHidden"_sel, &isHidden)
      .method("setHidden:"_sel, &setHidden)
      .method("masksToBounds"_sel, &masksToBounds)
      .method("setMasksToBounds:"_sel, &setMasksToBounds)
      .method("cornerRadius"_sel, &cornerRadius)
      .method("setCornerRadius:"_sel, &setCornerRadius)
      .method("cornerCurve"_sel, &cornerCurve)
      .method("setCornerCurve:"_sel, &setCornerCurve)
      .method("backgroundColor"_sel, &backgroundColor)
      .method("setBackgroundColor:"_sel, &setBackgroundColor)
      .method("contentsScale"_sel, &contentsScale)
      .method("sublayers"_sel, &sublayers)
      .method("superlayer"_sel, &superlayer)
      .method("addSublayer:"_sel, &addSublayer)
      .method("insertSublayer:atIndex:"_sel, &insertSublayerAtIndex)
      .method("removeFromSuperlayer"_sel, &removeFromSuperlayer)
      .method("addAnimation:forKey:"_sel, &addAnimationForKey)
      .method("removeAnimationForKey:"_sel, &removeAnimationForKey)
      .method("removeAllAnimations"_sel, &removeAllAnimations)
      .method("animationForKey:"_sel, &animationForKey)
      .method("animationKeys"_sel, &animationKeys)
      .method("valueForKeyPath:"_sel, &valueForKeyPath)
      .method("setValue:forKeyPath:"_sel, &setValueForKeyPath)
      .method("renderInContext:"_sel, &renderInContext)
      .method("presentationLayer"_sel, &presentationLayer)
      .build();
}

}  // namespace quartzcore
