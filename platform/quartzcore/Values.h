#pragma once
// What a layer's animatable key paths hold, and how they are read, written, interpolated
// and turned into objects and back. Internal to quartzcore.
//
// Key paths: "opacity", "cornerRadius", "position" (".x", ".y"), "bounds", "bounds.size",
// "backgroundColor", "transform" (a CGAffineTransform), and the transform's parts
// "transform.scale" (both axes), "transform.scale.x", "transform.scale.y",
// "transform.rotation" (also ".z"), "transform.translation.x", "transform.translation.y".
// A transform is taken apart as scale, then rotation, then translation; a shear is lost
// when one of its parts is written.

#include "platform/coregraphics/CGAffineTransform.h"
#include "platform/objc/Ref.h"

#include <optional>
#include <string_view>
#include <variant>

namespace quartzcore {

// A colour, not premultiplied.
struct Color {
  double r = 0, g = 0, b = 0, a = 0;
  friend bool operator==(const Color&, const Color&) = default;
};

using Value = std::variant<double, CGPoint, CGSize, CGRect, CGAffineTransform, Color>;

struct Geometry;  // the animatable part of a layer, in QuartzCore.h

// The key path's accessors, or none when the key path is not animatable.
struct KeyPath {
  Value (*get)(const Geometry&);
  void (*set)(Geometry&, const Value&);
};
const KeyPath* findKeyPath(std::string_view keyPath);

// Between `from` (0) and `to` (1); colours premultiplied on the way, so that a fade from
// clear shows the target's hue throughout. Values of different kinds give `to`.
Value interpolate(const Value& from, const Value& to, double progress);
// Same kind and same components.
bool sameValue(const Value& a, const Value& b);
// `value` plus `times` the step from `from` to `to`: a cumulative animation's later
// repeats. Only numbers accumulate; other kinds answer `value`.
Value accumulate(const Value& value, const Value& from, const Value& to, double times);

// An NSNumber, an NSValue of a CGPoint, CGSize, CGRect or CGAffineTransform, or anything
// answering -CGColor (a UIColor), as a value of the kind `like` has; none when it is not.
std::optional<Value> valueFromObject(id object, const Value& like);
// The object form: NSNumber or NSValue; nil for a colour (read it from its property).
objc::Ref objectFromValue(const Value& value);

// The parts of an affine transform and back.
struct TransformParts {
  double scaleX = 1, scaleY = 1, rotation = 0, translateX = 0, translateY = 0;
};
TransformParts decompose(const CGAffineTransform& t);
CGAffineTransform compose(const TransformParts& parts);

}  // namespace quartzcore
