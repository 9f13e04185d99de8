// Drawing a layer tree at the present device time: background, contents and sublayers,
// each layer's opacity applied to it and everything in it at once.

#include "platform/coregraphics/RoundedRect.h"
#include "platform/quartzcore/Layer.h"

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
