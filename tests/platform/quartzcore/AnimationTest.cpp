// Layers and their animations in device time, and what they render.

#include "platform/core/EventLog.h"
#include "platform/core/RunLoop.h"
#include "platform/coregraphics/CGBitmapContext.h"
#include "platform/coregraphics/CGColor.h"
#include "platform/foundation/Foundation.h"
#include "platform/objc/AutoreleasePool.h"
#include "platform/objc/Message.h"
#include "platform/quartzcore/QuartzCore.h"

#include <gtest/gtest.h>

#include <cmath>
#include <vector>

namespace {

using namespace objc::literals;
using objc::send;

struct Layers : testing::Test {
  void SetUp() override { quartzcore::registerClasses(); }
  static id layer(CGRect bounds = CGRectMake(0, 0, 4, 4)) {
    id made = send<id()>(objc::getClass("CALayer"), "layer"_sel);
    send<void(CGRect)>(made, "setBounds:"_sel, bounds);
    send<void(CGPoint)>(made, "setPosition:"_sel, CGPointMake(CGRectGetMidX(bounds), CGRectGetMidY(bounds)));
    return made;
  }
  static id basic(const char* keyPath, id from, id to, double duration) {
    id animation = send<id(id)>(objc::getClass("CABasicAnimation"), "animationWithKeyPath:"_sel,
                                foundation::makeString(keyPath).get());
    send<void(id)>(animation, "setFromValue:"_sel, from);
    send<void(id)>(animation, "setToValue:"_sel, to);
    send<void(double)>(animation, "setDuration:"_sel, duration);
    return animation;
  }
  static double opacity(id layer) { return quartzcore::presentation(layer).opacity; }
  static void run(double seconds) { core::RunLoop::main().runFor(seconds); }
  objc::AutoreleasePool pool;
};

TEST_F(Layers, ABasicAnimationShowsItsValueOfTheMomentAndEndsByItself) {
  id l = layer();
  send<void(id, id)>(l, "addAnimation:forKey:"_sel, basic("opacity", foundation::makeNumber(0.0), foundation::makeNumber(1.0), 2),
                     foundation::makeString("fade").get());
  EXPECT_EQ(opacity(l), 0.0);
  run(0.5);
  EXPECT_DOUBLE_EQ(opacity(l), 0.25) << "linear without a timing function";
  EXPECT_EQ(send<float()>(l, "opacity"_sel), 1.0f) << "the model keeps its value";
  EXPECT_NE(send<id(id)>(l, "animationForKey:"_sel, foundation::makeString("fade").get()), nil);
  run(1.5);
  EXPECT_EQ(opacity(l), 1.0);
  EXPECT_EQ(send<id(id)>(l, "animationForKey:"_sel, foundation::makeString("fade").get()), nil);
}

TEST_F(Layers, ARotationStartsFromThePresentAngleAndAccumulatesOverItsRepeats) {
  id l = layer();
  send<void(CGAffineTransform)>(l, "setAffineTransform:"_sel, CGAffineTransformMakeRotation(0.5));
  id spin = basic("transform.rotation.z", nil, foundation::makeNumber(2.5), 1);
  send<void(BOOL)>(spin, "setCumulative:"_sel, YES);
  send<void(float)>(spin, "setRepeatCount:"_sel, 3.0f);
  send<void(id, id)>(l, "addAnimation:forKey:"_sel, spin, foundation::makeString("transform.rotation.z").get());
  auto angleShown = [&] {
    const CGAffineTransform t = quartzcore::presentation(l).transform;
    return std::atan2(t.b, t.a);
  };
  auto same = [](double a, double b) { return std::fabs(std::remainder(a - b, 2 * M_PI)) < 1e-9; };
  run(0.5);
  EXPECT_TRUE(same(angleShown(), 1.5)) << angleShown();
  run(1.0);
  EXPECT_TRUE(same(angleShown(), 1.5 + 2.0)) << "the second repeat builds on the first: " << angleShown();
  EXPECT_NEAR(quartzcore::decompose(quartzcore::presentation(l).transform).scaleX, 1, 1e-12);
  run(1.6);
  EXPECT_TRUE(same(angleShown(), 0.5)) << "ended: back to the model";
}

TEST_F(Layers, AChangeWithoutAnimationOrALaterAnimationUnderTheKeyCutsTheRunningOneShort) {
  id l = layer();
  std::vector<bool> stopped;
  auto record = [&stopped](bool finished) { stopped.push_back(finished); };
  ASSERT_TRUE(quartzcore::animate(l, "opacity", 1.0, 0.0, 1, "opacity", record));
  ASSERT_TRUE(quartzcore::animate(l, "opacity", 0.5, 0.2, 1, "opacity", record));
  run(0);
  EXPECT_EQ(stopped, std::vector<bool>{false}) << "replaced under its key";
  send<void(float)>(l, "setOpacity:"_sel, 0.75f);
  EXPECT_EQ(opacity(l), 0.75) << "the latest change shows at once";
  EXPECT_EQ(stopped.size(), 1u) << "told on a later turn, not inside the setter";
  run(0);
  EXPECT_EQ(stopped, (std::vector<bool>{false, false}));
  ASSERT_TRUE(quartzcore::animate(l, "bounds.size", CGSizeMake(4, 4), CGSizeMake(8, 8), 1, "size", record));
  run(1);
  EXPECT_EQ(stopped, (std::vector<bool>{false, false, true}));
}

TEST_F(Layers, ViewAnimationsEaseInAndOut) {
  id l = layer();
  quartzcore::animate(l, "opacity", 0.0, 1.0, 1, "fade", nullptr);
  run(0.25);
  const double early = opacity(l);
  run(0.5);
  const double late = opacity(l);
  EXPECT_LT(early, 0.25) << "slow at the start";
  EXPECT_GT(late, 0.75) << "slow at the end";
  EXPECT_NEAR(early + late, 1.0, 1e-9) << "the curve is symmetric";
}

TEST_F(Layers, TakingALayerOutOfItsTreeCutsItsAnimationsAndThoseBelowShort) {
  id parent = layer(), child = layer(), grandchild = layer();
  send<void(id)>(parent, "addSublayer:"_sel, child);
  send<void(id)>(child, "addSublayer:"_sel, grandchild);
  std::vector<bool> stopped;
  quartzcore::animate(grandchild, "opacity", 1.0, 0.0, 5, "fade", [&](bool finished) { stopped.push_back(finished); });
  send<void()>(child, "removeFromSuperlayer"_sel);
  run(0);
  EXPECT_EQ(stopped, std::vector<bool>{false});
  EXPECT_EQ(send<id()>(grandchild, "animationKeys"_sel), nil);
  EXPECT_EQ(send<id()>(child, "superlayer"_sel), nil);
}

TEST_F(Layers, AKeyPathThatCannotAnimateIsRefusedAndSaysSo) {
  id l = layer();
  send<void(id, id)>(l, "addAnimation:forKey:"_sel, basic("contentsRect", nil, foundation::makeNumber(1.0), 1), nil);
  EXPECT_EQ(send<id()>(l, "animationKeys"_sel), nil);
  EXPECT_EQ(core::eventLog().count("animation"), 1u);
  EXPECT_FALSE(quartzcore::animate(l, "opacity", 0.0, 1.0, 0, "zero", nullptr)) << "no duration";
}

coregraphics::RGBA8 rendered(id l, std::size_t x, std::size_t y) {
  CGContextRef context = coregraphics::createBitmapContext(4, 4);
  send<void(CGContextRef)>(l, "renderInContext:"_sel, context);
  CGImageRef image = CGBitmapContextCreateImage(context);
  const coregraphics::RGBA8 pixel = coregraphics::pixelAt(image, x, y);
  CGImageRelease(image);
  CGContextRelease(context);
  return pixel;
}

TEST_F(Layers, RenderingShowsBackgroundsClipsAndTheOpacityOfTheMoment) {
  id l = layer();
  CGColorRef red = CGColorCreateSRGB(1, 0, 0, 1);
  send<void(CGColorRef)>(l, "setBackgroundColor:"_sel, red);
  CGColorRelease(red);
  EXPECT_EQ(rendered(l, 0, 0), (coregraphics::RGBA8{255, 0, 0, 255}));
  send<void(CGFloat)>(l, "setCornerRadius:"_sel, 2.0);
  EXPECT_LT(rendered(l, 0, 0).a, 128) << "the corner is rounded off";
  EXPECT_EQ(rendered(l, 2, 2).a, 255);
  send<void(id, id)>(l, "addAnimation:forKey:"_sel, basic("opacity", foundation::makeNumber(0.0), foundation::makeNumber(1.0), 1),
                     nil);
  run(0.5);
  EXPECT_NEAR(rendered(l, 2, 2).a, 128, 1);
  send<void(BOOL)>(l, "setHidden:"_sel, YES);
  EXPECT_EQ(rendered(l, 2, 2).a, 0);
}

}  // namespace
