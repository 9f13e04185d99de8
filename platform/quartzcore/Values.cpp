// Animatable key paths and their values.

#include "platform/quartzcore/Values.h"

#include "platform/coregraphics/CGColor.h"
#include "platform/foundation/Foundation.h"
#include "platform/objc/Message.h"
#include "platform/quartzcore/Encodings.h"
#include "platform/quartzcore/Layer.h"

#include <algorithm>
#include <cmath>
#include <map>
#include <string>

namespace quartzcore {

namespace {

using namespace objc::literals;
using objc::send;

double number(const Value& v) { return std::get<double>(v); }


// Accessors for each part of the transform, through its decomposition.
#define TESSARO_TRANSFORM_PART(Name, field)                                          \
  Value get##Name(const Geometry& g) { return decompose(g.transform).field; }        \
  void set##Name(Geometry& g, const Value& v) {                                      \
    TransformParts parts = decompose(g.transform);                                   \
    parts.field = number(v);                                                         \
    g.transform = compose(parts);                                                    \
  }
TESSARO_TRANSFORM_PART(ScaleX, scaleX)
TESSARO_TRANSFORM_PART(ScaleY, scaleY)
TESSARO_TRANSFORM_PART(Rotation, rotation)
TESSARO_TRANSFORM_PART(TranslateX, translateX)
TESSARO_TRANSFORM_PART(TranslateY, translateY)
#undef TESSARO_TRANSFORM_PART

void setScale(Geometry& g, const Value& v) {
  TransformParts parts = decompose(g.transform);
  parts.scaleX = parts.scaleY = number(v);
  g.transform = compose(parts);
}

const std::map<std::string, KeyPath, std::less<>>& keyPaths() {
  static const std::map<std::string, KeyPath, std::less<>> table = {
      {"opacity", {[](const Geometry& g) -> Value { return g.opacity; },
                   [](Geometry& g, const Value& v) { g.opacity = std::clamp(number(v), 0.0, 1.0); }}},
      {"cornerRadius", {[](const Geometry& g) -> Value { return g.cornerRadius; },
                        [](Geometry& g, const Value& v) { g.cornerRadius = number(v); }}},
      {"position", {[](const Geometry& g) -> Value { return g.position; },
                    [](Geometry& g, const Value& v) { g.position = std::get<CGPoint>(v); }}},
      {"position.x", {[](const Geometry& g) -> Value { return g.position.x; },
                      [](Geometry& g, const Value& v) { g.position.x = number(v); }}},
      {"position.y", {[](const Geometry& g) -> Value { return g.position.y; },
                      [](Geometry& g, const Value& v) { g.position.y = number(v); }}},
      {"bounds", {[](const Geometry& g) -> Value { return g.bounds; },
                  [](Geometry& g, const Value& v) { g.bounds = std::get<CGRect>(v); }}},
      {"bounds.size", {[](const Geometry& g) -> Value { return g.bounds.size; },
                       [](Geometry& g, const Value& v) { g.bounds.size = std::get<CGSize>(v); }}},
      {"backgroundColor", {[](const Geometry& g) -> Value { return g.background; },
                           [](Geometry& g, const Value& v) { g.background = std::get<Color>(v); }}},
      {"transform", {[](const Geometry& g) -> Value { return g.transform; },
                     [](Geometry& g, const Value& v) { g.transform = std::get<CGAffineTransform>(v); }}},
      {"transform.scale", {&getScaleX, &setScale}},
      {"transform.scale.x", {&getScaleX, &setScaleX}},
      {"transform.scale.y", {&getScaleY, &setScaleY}},
      {"transform.rotation", {&getRotation, &setRotation}},
      {"transform.rotation.z", {&getRotation, &setRotation}},
      {"transform.translation.x", {&getTranslateX, &setTranslateX}},
      {"transform.translation.y", {&getTranslateY, &setTranslateY}},
  };
  return table;
}

double lerp(double a, double b, double t) { return a + (b - a) * t; }

Color premultiplied(const Color& c) { return {c.r * c.a, c.g * c.a, c.b * c.a, c.a}; }

Color mix(const Color& from, const Color& to, double t) {
  const Color a = premultiplied(from), b = premultiplied(to);
  const Color m{lerp(a.r, b.r, t), lerp(a.g, b.g, t), lerp(a.b, b.b, t), lerp(a.a, b.a, t)};
  if (m.a <= 0) return Color{};
  return {m.r / m.a, m.g / m.a, m.b / m.a, m.a};
}

}  // namespace

const KeyPath* findKeyPath(std::string_view keyPath) {
  const auto& table = keyPaths();
  auto found = table.find(keyPath);
  return found == table.end() ? nullptr : &found->second;
}

TransformParts decompose(const CGAffineTransform& t) {
  TransformParts parts;
  parts.translateX = t.tx;
  parts.translateY = t.ty;
  const double determinant = t.a * t.d - t.b * t.c;
  parts.scaleX = std::hypot(t.a, t.b);
  if (parts.scaleX > 0) {
    parts.rotation = std::atan2(t.b, t.a);
    parts.scaleY = determinant / parts.scaleX;
  } else {
    // The x axis collapsed: the rotation is read from the y axis.
    parts.scaleY = std::hypot(t.c, t.d);
    parts.rotation = parts.scaleY > 0 ? std::atan2(-t.c, t.d) : 0;
  }
  return parts;
}

CGAffineTransform compose(const TransformParts& p) {
  const double cosine = std::cos(p.rotation), sine = std::sin(p.rotation);
  return CGAffineTransform{p.scaleX * cosine, p.scaleX * sine, -p.scaleY * sine, p.scaleY * cosine, p.translateX,
                           p.translateY};
}

Value interpolate(const Value& from, const Value& to, double t) {
  if (from.index() != to.index()) return to;
  return std::visit(
      [&](const auto& a) -> Value {
        using T = std::decay_t<decltype(a)>;
        const T& b = std::get<T>(to);
        if constexpr (std::is_same_v<T, double>) {
          return lerp(a, b, t);
        } else if constexpr (std::is_same_v<T, CGPoint>) {
          return CGPoint{lerp(a.x, b.x, t), lerp(a.y, b.y, t)};
        } else if constexpr (std::is_same_v<T, CGSize>) {
          return CGSize{lerp(a.width, b.width, t), lerp(a.height, b.height, t)};
        } else if constexpr (std::is_same_v<T, CGRect>) {
          return CGRect{{lerp(a.origin.x, b.origin.x, t), lerp(a.origin.y, b.origin.y, t)},
                        {lerp(a.size.width, b.size.width, t), lerp(a.size.height, b.size.height, t)}};
        } else if constexpr (std::is_same_v<T, CGAffineTransform>) {
          // Part by part, so that a turn stays a turn and a scale stays a scale on the way.
          const TransformParts pa = decompose(a), pb = decompose(b);
          return compose({lerp(pa.scaleX, pb.scaleX, t), lerp(pa.scaleY, pb.scaleY, t),
                          lerp(pa.rotation, pb.rotation, t), lerp(pa.translateX, pb.translateX, t),
                          lerp(pa.translateY, pb.translateY, t)});
        } else {
          return mix(a, b, t);
        }
      },
      from);
}

bool sameValue(const Value& a, const Value& b) {
  if (a.index() != b.index()) return false;
  return std::visit(
      [&b](const auto& x) {
        using T = std::decay_t<decltype(x)>;
        const T& y = std::get<T>(b);
        if constexpr (std::is_same_v<T, double> || std::is_same_v<T, Color>) {
          return x == y;
        } else if constexpr (std::is_same_v<T, CGPoint>) {
          return CGPointEqualToPoint(x, y);
        } else if constexpr (std::is_same_v<T, CGSize>) {
          return CGSizeEqualToSize(x, y);
        } else if constexpr (std::is_same_v<T, CGRect>) {
          return CGRectEqualToRect(x, y);
        } else {
          return CGAffineTransformEqualToTransform(x, y);
        }
      },
      a);
}

Value accumulate(const Value& value, const Value& from, const Value& to, double times) {
  if (!std::holds_alternative<double>(value) || !std::holds_alternative<double>(from) ||
      !std::holds_alternative<double>(to)) {
    return value;
  }
  return number(value) + times * (number(to) - number(from));
}

std::optional<Value> valueFromObject(id object, const Value& like) {
  if (object == nil) return std::nullopt;
  return std::visit(
      [object](const auto& kind) -> std::optional<Value> {
        using T = std::decay_t<decltype(kind)>;
        if constexpr (std::is_same_v<T, double>) {
          if (foundation::stringOf(object) || !objc::respondsTo(object, "doubleValue"_sel)) return std::nullopt;
          return send<double()>(object, "doubleValue"_sel);
        } else if constexpr (std::is_same_v<T, Color>) {
          if (!objc::respondsTo(object, "CGColor"_sel)) return std::nullopt;
          const CGFloat* c = CGColorGetComponents(send<CGColorRef()>(object, "CGColor"_sel));
          return Color{c[0], c[1], c[2], c[3]};
        } else {
          auto unboxed = foundation::unbox<T>(object);
          if (!unboxed) return std::nullopt;
          return Value{*unboxed};
        }
      },
      like);
}

objc::Ref objectFromValue(const Value& value) {
  return std::visit(
      [](const auto& v) -> objc::Ref {
        using T = std::decay_t<decltype(v)>;
        if constexpr (std::is_same_v<T, double>) {
          return foundation::makeNumber(v);
        } else if constexpr (std::is_same_v<T, Color>) {
          return objc::Ref();
        } else {
          return foundation::box(v);
        }
      },
      value);
}

}  // namespace quartzcore
