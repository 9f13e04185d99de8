// Drawing a layer tree at the present device time: background, contents and sublayers,
// each layer's opacity applied to it and everything in it at once.

#include "platform/coregraphics/RoundedRect.h"
#include "platform/quartzcore/Layer.h"

#include <algorithm>
#include <cmath>

namespace quartzcore {

namespace {

void draw(id layer, CGContextRef c, double now, bool placed) {
  const LayerState& state = layerOf(layer);
  if (state.hidden) return;
  const Geometry shown = presented(state, now);
  if (!(shown.opacity > 0)) return;
  const CGRect box = shown.bounds;
  CGContextSaveGState(c);
  if (placed) {
    CGContextTranslateCTM(c, shown.position.x, shown.position.y);
    CGContextConcatCTM(c, shown.transform);
    CGContextTranslateCTM(c, -state.anchorPoint.x * box.size.width, -state.anchorPoint.y * box.size.height);
  }
  CGContextTranslateCTM(c, -box.origin.x, -box.origin.y);
  const bool group = shown.opacity < 1;
  if (group) {
    CGContextSetAlpha(c, shown.opacity);
    CGContextBeginTransparencyLayer(c, nullptr);
  }
  const Color& fill = shown.background;
  if (fill.a > 0) {
    CGContextSetRGBFillColor(c, fill.r, fill.g, fill.b, fill.a);
    CGContextBeginPath(c);
    coregraphics::addRoundedRect(c, box, shown.cornerRadius, state.continuousCorners);
    CGContextFillPath(c);
  }
  if (state.masksToBounds) {
    CGContextBeginPath(c);
    coregraphics::addRoundedRect(c, box, shown.cornerRadius, state.continuousCorners);
    CGContextClip(c);
  }
  if (state.contents != nullptr) CGContextDrawImage(c, box, state.contents);
  if (state.drawContent) {
    CGContextSaveGState(c);
    state.drawContent(c, box);
    CGContextRestoreGState(c);
  }
  for (const objc::Ref& sublayer : state.sublayers) draw(sublayer, c, now, true);
  if (group) CGContextEndTransparencyLayer(c);
  CGContextRestoreGState(c);
}

}  // namespace

void render(id layer, CGContextRef context) {
  if (!isLayer(layer) || context == nullptr) return;
  draw(layer, context, core::RunLoop::main().now(), false);
}

CGRect frameInRootPicture(id layer) {
  if (!isLayer(layer)) return CGRect{};
  const double now = core::RunLoop::main().now();
  // Each layer's bounds to its superlayer's, as draw() places it; the root as renderPlaced
  // moves it, its untransformed frame's origin at the picture's.
  CGAffineTransform toRoot = CGAffineTransformIdentity;
  CGRect box{};
  bool first = true;
  for (id current = layer; current != nil; current = layerOf(current).superlayer) {
    const LayerState& state = layerOf(current);
    const Geometry shown = presented(state, now);
    const CGSize size = shown.bounds.size;
    if (first) box = shown.bounds;
    first = false;
    CGAffineTransform placed = CGAffineTransformMakeTranslation(-shown.bounds.origin.x - state.anchorPoint.x * size.width,
                                                                -shown.bounds.origin.y - state.anchorPoint.y * size.height);
    placed = CGAffineTransformConcat(placed, shown.transform);
    placed = CGAffineTransformConcat(placed, CGAffineTransformMakeTranslation(shown.position.x, shown.position.y));
    if (state.superlayer == nil) {
      placed = CGAffineTransformConcat(placed, CGAffineTransformMakeTranslation(-(shown.position.x - state.anchorPoint.x * size.width),
                                                                                -(shown.position.y - state.anchorPoint.y * size.height)));
    }
    toRoot = CGAffineTransformConcat(toRoot, placed);
  }
  const CGPoint corners[] = {{box.origin.x, box.origin.y},
                             {box.origin.x + box.size.width, box.origin.y},
                             {box.origin.x, box.origin.y + box.size.height},
                             {box.origin.x + box.size.width, box.origin.y + box.size.height}};
  double left = INFINITY, top = INFINITY, right = -INFINITY, bottom = -INFINITY;
  for (const CGPoint& corner : corners) {
    const CGPoint p = CGPointApplyAffineTransform(corner, toRoot);
    left = std::min(left, p.x);
    right = std::max(right, p.x);
    top = std::min(top, p.y);
    bottom = std::max(bottom, p.y);
  }
  return CGRect{{left, top}, {right - left, bottom - top}};
}

void renderPlaced(id layer, CGContextRef context) {
  if (!isLayer(layer) || context == nullptr) return;
  const LayerState& state = layerOf(layer);
  const Geometry shown = presented(state, core::RunLoop::main().now());
  CGContextSaveGState(context);
  CGContextTranslateCTM(context, -(shown.position.x - state.anchorPoint.x * shown.bounds.size.width),
                        -(shown.position.y - state.anchorPoint.y * shown.bounds.size.height));
  draw(layer, context, core::RunLoop::main().now(), true);
  CGContextRestoreGState(context);
}

}  // namespace quartzcore
