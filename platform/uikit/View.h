#pragma once
// Internal to uikit: what a view holds, and how its animatable properties change, at once
// or, inside an animation block, as an animation of its layer.

#include "platform/objc/Ref.h"
#include "platform/quartzcore/Values.h"

#include <string>
#include <vector>

namespace uikit::detail {

struct ViewState {
  objc::Ref layer;            // made with the view, its delegate
  std::vector<objc::Ref> subviews;
  id superview = nil;         // not retained: the superview holds this one
  objc::Ref backgroundColor;  // the UIColor last set, or nil
  std::size_t cornerRadiusSets = 0;  // calls of _setContinuousCornerRadius:
  ViewState() = default;
  ViewState(const ViewState&) = delete;
  ViewState& operator=(const ViewState&) = delete;
  ~ViewState();
};

ViewState& viewOf(id view);
bool isView(id object);

// Sets an animatable key path of the view's layer: at once outside an animation block, as
// a change the open block animates inside one.
void change(id view, const std::string& keyPath, const quartzcore::Value& value);

}  // namespace uikit::detail
