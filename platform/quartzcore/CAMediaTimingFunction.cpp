// CAMediaTimingFunction: the pacing of an animation, a cubic curve from (0, 0) to (1, 1)
// named as CoreAnimation names its curves. An unknown name gives nil.

#include "platform/foundation/Foundation.h"
#include "platform/objc/ClassBuilder.h"
#include "platform/objc/Message.h"
#include "platform/quartzcore/Layer.h"

#include <map>

namespace quartzcore {

namespace {

using namespace objc::literals;
using objc::send;

struct FunctionState {
  Timing timing;
};

id functionWithName(id cls, SEL, id name) {
  static const std::map<std::string, Timing, std::less<>> curves = {
      {"linear", {0, 0, 1, 1}},
      {"easeIn", {0.42, 0, 1, 1}},
      {"easeOut", {0, 0, 0.58, 1}},
      {"easeInEaseOut", {0.42, 0, 0.58, 1}},
      {"default", {0.25, 0.1, 0.25, 1}},
  };
  auto found = curves.find(foundation::stringOf(name).value_or(""));
  if (found == curves.end()) return nil;
  id function = objc::autorelease(send<id()>(cls, "new"_sel));
  objc::stateOf<FunctionState>(function).timing = found->second;
  return function;
}

id functionWithControlPoints(id cls, SEL, float x1, float y1, float x2, float y2) {
  id function = objc::autorelease(send<id()>(cls, "new"_sel));
  // The curve must stay a function of time: x control points within 0 to 1.
  objc::stateOf<FunctionState>(function).timing = {std::clamp<double>(x1, 0, 1), y1, std::clamp<double>(x2, 0, 1), y2};
  return function;
}

}  // namespace

Timing timingOf(id function) {
  static const Class cls = objc::getClass("CAMediaTimingFunction");
  if (function == nil || objc::classOf(function) != cls) return Timing{};
  return objc::stateOf<FunctionState>(function).timing;
}

void registerCAMediaTimingFunction() {
  objc::ClassBuilder("CAMediaTimingFunction", objc::rootClass())
      .state<FunctionState>()
      .classMethod("functionWithName:"_sel, &functionWithName)
      .classMethod("functionWithControlPoints::::"_sel, &functionWithControlPoints)
      .build();
}

}  // namespace quartzcore
