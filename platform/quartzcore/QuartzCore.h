#pragma once
// The stand-in QuartzCore: layers (CALayer) with their geometry, looks and sublayers,
// basic animations by key path driven by the device clock (CABasicAnimation,
// CAMediaTimingFunction), and rendering a layer tree into a context as it looks at the
// present device time. Property changes take effect at once (there are no implicit
// animations); a change made without animation to a key path that is animating ends that
// animation, cut short, so the latest change is what shows.

#include "platform/coregraphics/CGContext.h"
#include "platform/coregraphics/CGImage.h"
#include "platform/objc/Ref.h"
#include "platform/quartzcore/Values.h"

#include <functional>
#include <string>

namespace quartzcore {

// Defines CALayer, CAAnimation, CABasicAnimation and CAMediaTimingFunction. Idempotent.
void registerClasses();

// Told once when an animation ends: true when it ran its course, false when it was cut
// short (removed, replaced under its key, its key path set, its layer taken out of its
// tree). Runs on the main run loop, never inside the call that cut it short.
using StopHandler = std::function<void(bool finished)>;

// Animates `layer`'s `keyPath` from `from` to `to` over `seconds` of device time, eased in
// and out, under `key`, as UIKit's view animations do. Answers false, and adds nothing,
// for a key path that is not animatable or a duration of 0 or less.
bool animate(id layer, const std::string& keyPath, const Value& from, const Value& to, double seconds,
             const std::string& key, StopHandler onStop);

// The animatable values of a layer: what it was set to (its model), or what it shows.
struct Geometry {
  CGRect bounds{};
  CGPoint position{};
  CGAffineTransform transform = CGAffineTransformIdentity;
  double opacity = 1;
  double cornerRadius = 0;
  Color background{};
};
using Presented = Geometry;

// The layer's values as they show at the present device time.
Presented presentation(id layer);
// The value of an animatable key path as it shows now; none for another key path.
std::optional<Value> presentedValue(id layer, const std::string& keyPath);
// The model value: what the layer was last set to.
std::optional<Value> modelValue(id layer, const std::string& keyPath);
// Sets the model value at once, ending an animation of that key path.
bool setModelValue(id layer, const std::string& keyPath, const Value& value);

// What the layer shows: an image drawn into its bounds, at `scale` pixels a point.
void setContents(id layer, CGImageRef image, double scale);

// Drawing of the layer's own, as its delegate's drawLayer:inContext: does: called at every
// render, after the background and the contents, before the sublayers, with the context
// in the layer's coordinates and the layer's bounds. An empty function draws nothing.
using ContentDrawer = std::function<void(CGContextRef context, CGRect bounds)>;
void setContentDrawer(id layer, ContentDrawer drawer);

// Draws `layer` and its sublayers into `context` at the present device time, in the
// layer's own coordinates (its bounds' origin at the context's origin), as
// -renderInContext: does: its own position and transform are not applied, its opacity is.
void render(id layer, CGContextRef context);
// Draws `layer` as it is placed in its superlayer (position, transform and opacity
// applied), moved so that its untransformed frame's origin is the context's origin.
void renderPlaced(id layer, CGContextRef context);
// Where `layer` shows, at the present device time, on the picture renderPlaced makes of
// its root layer (its topmost superlayer): the box around its transformed bounds, in the
// root's points. Empty for what is no layer.
CGRect frameInRootPicture(id layer);

}  // namespace quartzcore
