#pragma once
// Internal to quartzcore: what a layer holds, and its running animations.

#include "platform/coregraphics/CGColor.h"
#include "platform/coregraphics/CGImage.h"
#include "platform/core/RunLoop.h"
#include "platform/objc/Ref.h"
#include "platform/quartzcore/QuartzCore.h"
#include "platform/quartzcore/Values.h"

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace quartzcore {

// A cubic timing curve through (0, 0) and (1, 1), as CAMediaTimingFunction's.
struct Timing {
  double x1 = 0, y1 = 0, x2 = 1, y2 = 1;
  double at(double progress) const;
};

struct Running {
  std::optional<std::string> key;
  objc::Ref animation;  // the copy that animationForKey: answers
  const KeyPath* path = nullptr;
  Value from;
  std::optional<Value> to;  // none: the model value, whatever it is at the time
  double begin = 0;
  double duration = 0;
  double repeatCount = 1;
  bool cumulative = false;
  bool removedOnCompletion = true;
  Timing timing;
  StopHandler onStop;
  core::RunLoop::WorkId end = 0;
  std::uint64_t serial = 0;  // names it to its end work

  double total() const { return duration * repeatCount; }
  // The value at device time `now`, or none outside the animation's run.
  std::optional<Value> valueAt(double now, const Geometry& model) const;
};

struct LayerState {
  Geometry model;
  CGPoint anchorPoint{0.5, 0.5};
  bool hidden = false;
  bool masksToBounds = false;
  bool continuousCorners = false;
  CGImageRef contents = nullptr;  // owned
  double contentsScale = 1;
  ContentDrawer drawContent;  // what the layer's owner draws over its contents
  std::vector<objc::Ref> sublayers;
  id superlayer = nil;  // not retained: the superlayer holds this one
  std::vector<Running> animations;
  CGColorRef backgroundRef = nullptr;  // owned; what -backgroundColor answers

  LayerState() = default;
  LayerState(const LayerState&) = delete;
  LayerState& operator=(const LayerState&) = delete;
  ~LayerState();
};

LayerState& layerOf(id layer);
bool isLayer(id object);

// The model values with every running animation applied, at device time `now`.
Geometry presented(const LayerState& state, double now);

// Ends the animation at `index` of the layer: out of the list, its end work cancelled, its
// stop handler told (on the next turn of the run loop, at the same device time).
void stopAnimation(id layer, std::size_t index, bool finished);
// Every animation of the layer and of its sublayers, cut short.
void stopAllAnimations(id layer);
// -addAnimation:forKey: with a CABasicAnimation: a copy runs from now.
void addAnimation(id layer, id animation, id key);

void registerCALayer();
void registerCAAnimation();
void registerCAMediaTimingFunction();

// The timing curve of a CAMediaTimingFunction object; linear for nil.
Timing timingOf(id function);
// The parameters of a CABasicAnimation object.
struct AnimationParameters {
  std::string keyPath;
  id fromValue = nil;
  id toValue = nil;
  double duration = 0;
  double repeatCount = 0;
  bool cumulative = false;
  bool removedOnCompletion = true;
  id timingFunction = nil;
  StopHandler onStop;
};
const AnimationParameters* parametersOf(id animation);

// What a CAAnimation object holds: its parameters, and the objects they point at.
struct AnimationState {
  AnimationParameters parameters;
  objc::Ref from, to, timing;
};
AnimationState& animationOf(id animation);

void registerCAPropertyAnimation();
void registerCABasicAnimation();

}  // namespace quartzcore
