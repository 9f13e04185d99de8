// Running animations: added as copies, evaluated in device time, ended by the run loop
// when their time is up or cut short before.

#include "platform/core/EventLog.h"
#include "platform/foundation/Foundation.h"
#include "platform/objc/Message.h"
#include "platform/quartzcore/Layer.h"

#include <cmath>

namespace quartzcore {

namespace {

using namespace objc::literals;
using objc::send;

// CoreAnimation's duration for an animation that gives none.
constexpr double kDefaultDuration = 0.25;

std::uint64_t nextSerial = 1;

void tellStopped(const StopHandler& handler, bool finished) {
  if (!handler) return;
  core::RunLoop::main().scheduleAfter(0, core::RunLoop::Source::Animation, [handler, finished] { handler(finished); });
}

// At the end of its run: out of the layer's list unless it is to stay, and told so.
void finish(const objc::Ref& layer, std::uint64_t serial) {
  auto& animations = layerOf(layer).animations;
  for (std::size_t i = 0; i < animations.size(); ++i) {
    if (animations[i].serial != serial) continue;
    StopHandler handler = animations[i].onStop;
    animations[i].end = 0;
    if (animations[i].removedOnCompletion) animations.erase(animations.begin() + static_cast<std::ptrdiff_t>(i));
    if (handler) handler(true);
    return;
  }
}

void start(id layer, Running running) {
  LayerState& state = layerOf(layer);
  // A new animation under a key takes the place of the one there.
  if (running.key) {
    for (std::size_t i = state.animations.size(); i-- > 0;) {
      if (state.animations[i].key == running.key) stopAnimation(layer, i, false);
    }
  }
  running.serial = nextSerial++;
  objc::Ref held{layer};
  running.end = core::RunLoop::main().schedule(running.begin + running.total(), core::RunLoop::Source::Animation,
                                               [held, serial = running.serial] { finish(held, serial); });
  layerOf(layer).animations.push_back(std::move(running));
}

}  // namespace

double Timing::at(double x) const {
  if (x <= 0) return 0;
  if (x >= 1) return 1;
  if (x1 == y1 && x2 == y2) return x;  // the straight line
  // The curve's parameter for x, by bisection (x grows with the parameter), then its y.
  auto coordinate = [](double t, double p1, double p2) {
    const double u = 1 - t;
    return 3 * u * u * t * p1 + 3 * u * t * t * p2 + t * t * t;
  };
  double low = 0, high = 1;
  for (int i = 0; i < 40; ++i) {
    const double mid = (low + high) / 2;
    (coordinate(mid, x1, x2) < x ? low : high) = mid;
  }
  return coordinate((low + high) / 2, y1, y2);
}

std::optional<Value> Running::valueAt(double now, const Geometry& model) const {
  const double elapsed = now - begin;
  if (elapsed < 0 || elapsed >= total()) return std::nullopt;
  const double iteration = std::floor(elapsed / duration);
  const double progress = timing.at(elapsed / duration - iteration);
  const Value target = to ? *to : path->get(model);
  Value value = interpolate(from, target, progress);
  if (cumulative && iteration > 0) value = accumulate(value, from, target, iteration);
  return value;
}

Geometry presented(const LayerState& state, double now) {
  Geometry shown = state.model;
  for (const Running& running : state.animations) {
    if (auto value = running.valueAt(now, state.model)) running.path->set(shown, *value);
  }
  return shown;
}

void stopAnimation(id layer, std::size_t index, bool finished) {
  auto& animations = layerOf(layer).animations;
  if (index >= animations.size()) return;
  Running running = std::move(animations[index]);
  animations.erase(animations.begin() + static_cast<std::ptrdiff_t>(index));
  // Already told when it ended; one that stayed after its run is only taken away.
  if (running.end == 0) return;
  core::RunLoop::main().cancel(running.end);
  tellStopped(running.onStop, finished);
}

void stopAllAnimations(id layer) {
  for (std::size_t i = layerOf(layer).animations.size(); i-- > 0;) stopAnimation(layer, i, false);
  for (const objc::Ref& sublayer : layerOf(layer).sublayers) stopAllAnimations(sublayer);
}

void addAnimation(id layer, id animation, id key) {
  const AnimationParameters* parameters = parametersOf(animation);
  if (!isLayer(layer) || parameters == nullptr) return;
  const std::string keyPath = parameters->keyPath;
  Running running;
  running.path = findKeyPath(keyPath);
  if (running.path == nullptr) {
    core::record("animation", "-[CALayer addAnimation:forKey:] key path \"" + keyPath + "\" is not animatable: ignored",
                 {{"keyPath", keyPath}});
    return;
  }
  const double now = core::RunLoop::main().now();
  const Value present = running.path->get(presented(layerOf(layer), now));
  running.from = valueFromObject(parameters->fromValue, present).value_or(present);
  running.to = valueFromObject(parameters->toValue, present);
  if (running.to == std::nullopt && parameters->toValue != nil) {
    core::record("animation", "-[CALayer addAnimation:forKey:] toValue of \"" + keyPath + "\" has the wrong kind: ignored",
                 {{"keyPath", keyPath}});
    return;
  }
  running.key = foundation::stringOf(key);
  running.animation = objc::Ref::adopt(send<id()>(animation, "copy"_sel));
  running.begin = now;
  running.duration = parameters->duration > 0 ? parameters->duration : kDefaultDuration;
  running.repeatCount = parameters->repeatCount > 0 ? parameters->repeatCount : 1;
  running.cumulative = parameters->cumulative;
  running.removedOnCompletion = parameters->removedOnCompletion;
  running.timing = timingOf(parameters->timingFunction);
  running.onStop = parameters->onStop;
  start(layer, std::move(running));
}

bool animate(id layer, const std::string& keyPath, const Value& from, const Value& to, double seconds,
             const std::string& key, StopHandler onStop) {
  Running running;
  running.path = findKeyPath(keyPath);
  if (running.path == nullptr || !isLayer(layer) || !(seconds > 0)) return false;
  id animation = send<id(id)>(objc::getClass("CABasicAnimation"), "animationWithKeyPath:"_sel,
                              foundation::makeString(keyPath).get());
  send<void(id)>(animation, "setFromValue:"_sel, objectFromValue(from).get());
  send<void(id)>(animation, "setToValue:"_sel, objectFromValue(to).get());
  send<void(double)>(animation, "setDuration:"_sel, seconds);
  id easeInOut = send<id(id)>(objc::getClass("CAMediaTimingFunction"), "functionWithName:"_sel,
                              foundation::makeString("easeInEaseOut").get());
  send<void(id)>(animation, "setTimingFunction:"_sel, easeInOut);
  running.key = key;
  running.animation = objc::Ref(animation);
  running.from = from;
  running.to = to;
  running.begin = core::RunLoop::main().now();
  running.duration = seconds;
  running.timing = timingOf(easeInOut);
  running.onStop = std::move(onStop);
  start(layer, std::move(running));
  return true;
}

}  // namespace quartzcore
