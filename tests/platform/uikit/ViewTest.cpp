// UIKit's views, their animations, images, colours, image contexts and the screen.

#include "platform/core/DeviceRoot.h"
#include "platform/core/EventLog.h"
#include "platform/core/RunLoop.h"
#include "platform/coregraphics/CGBitmapContext.h"
#include "platform/coregraphics/PNG.h"
#include "platform/foundation/Foundation.h"
#include "platform/hardware/Display.h"
#include "platform/objc/AutoreleasePool.h"
#include "platform/objc/Block.h"
#include "platform/objc/Message.h"
#include "platform/quartzcore/QuartzCore.h"
#include "platform/uikit/UIGraphics.h"
#include "platform/uikit/UIKit.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <vector>

namespace {

using namespace objc::literals;
using objc::send;
namespace fs = std::filesystem;

struct UIKit : testing::Test {
  void SetUp() override { uikit::registerClasses(); }
  static id view(CGRect frame) {
    return objc::autorelease(send<id(CGRect)>(send<id()>(objc::getClass("UIView"), "alloc"_sel), "initWithFrame:"_sel, frame));
  }
  static void run(double seconds) { core::RunLoop::main().runFor(seconds); }
  // Animates the view's alpha to 0 over `seconds`, noting each completion's flag.
  static void fade(id v, double seconds, std::vector<BOOL>& completions) {
    objc::Ref changes = objc::makeBlock<void()>([v] { send<void(CGFloat)>(v, "setAlpha:"_sel, 0.0); });
    objc::Ref done = objc::makeBlock<void(BOOL)>([&completions](BOOL finished) { completions.push_back(finished); });
    send<void(double, id, id)>(objc::getClass("UIView"), "animateWithDuration:animations:completion:"_sel, seconds,
                               changes.get(), done.get());
  }
  objc::AutoreleasePool pool;
};

TEST_F(UIKit, AViewsTransformAppliesAboutItsCentre) {
  id v = view(CGRectMake(10, 10, 100, 50));
  send<void(CGAffineTransform)>(v, "setTransform:"_sel, CGAffineTransformMakeScale(0.5, 0.5));
  EXPECT_TRUE(CGRectEqualToRect(send<CGRect()>(v, "frame"_sel), CGRectMake(35, 22.5, 50, 25)));
  EXPECT_TRUE(CGPointEqualToPoint(send<CGPoint()>(v, "center"_sel), CGPointMake(60, 35)));
  EXPECT_TRUE(CGRectEqualToRect(send<CGRect()>(v, "bounds"_sel), CGRectMake(0, 0, 100, 50)));
}

TEST_F(UIKit, AnAnimationBlocksChangesAreTargetsReachedOverTheDurationThenItCompletesWithYes) {
  id v = view(CGRectMake(0, 0, 10, 10));
  std::vector<BOOL> completions;
  fade(v, 1.0, completions);
  EXPECT_EQ(send<CGFloat()>(v, "alpha"_sel), 0.0) << "the model has the target at once";
  run(0.5);
  EXPECT_NEAR(quartzcore::presentation(send<id()>(v, "layer"_sel)).opacity, 0.5, 1e-12);
  EXPECT_TRUE(completions.empty());
  run(0.5);
  EXPECT_EQ(completions, std::vector<BOOL>{YES});
  run(5);
  EXPECT_EQ(completions.size(), 1u);
}

TEST_F(UIKit, RemovingTheViewCutsTheAnimationShortAndCompletesWithNoAtOnce) {
  id parent = view(CGRectMake(0, 0, 100, 100));
  id v = view(CGRectMake(0, 0, 10, 10));
  send<void(id)>(parent, "addSubview:"_sel, v);
  std::vector<BOOL> completions;
  fade(v, 0.5, completions);
  run(0.1);
  send<void()>(v, "removeFromSuperview"_sel);
  run(0);
  EXPECT_EQ(completions, std::vector<BOOL>{NO});
  run(1);
  EXPECT_EQ(completions, std::vector<BOOL>{NO});
  EXPECT_EQ(send<id()>(parent, "subviews"_sel) != nil ? send<unsigned long()>(send<id()>(parent, "subviews"_sel), "count"_sel) : 1u, 0u);
}

TEST_F(UIKit, ABlockThatChangesNothingCompletesOnTheNextTurnWithYes) {
  id v = view(CGRectMake(0, 0, 10, 10));
  send<void(CGFloat)>(v, "setAlpha:"_sel, 0.0);
  std::vector<BOOL> completions;
  fade(v, 1.0, completions);
  EXPECT_TRUE(completions.empty());
  run(0);
  EXPECT_EQ(completions, std::vector<BOOL>{YES});
}

// A PNG of `side` pixels on the device.
void picture(const std::string& devicePath, std::size_t side) {
  const auto host = *core::resolve(devicePath);
  fs::create_directories(host.parent_path());
  CGContextRef context = coregraphics::createBitmapContext(side, side);
  CGImageRef image = CGBitmapContextCreateImage(context);
  std::string why;
  ASSERT_TRUE(coregraphics::writePNG(image, host, why)) << why;
  CGImageRelease(image);
  CGContextRelease(context);
}

id named(const char* name, const char* bundlePath) {
  id bundle = send<id(id)>(objc::getClass("NSBundle"), "bundleWithPath:"_sel, foundation::makeString(bundlePath).get());
  return send<id(id, id, id)>(objc::getClass("UIImage"), "imageNamed:inBundle:compatibleWithTraitCollection:"_sel,
                              foundation::makeString(name).get(), bundle, nil);
}

TEST_F(UIKit, AnImageByNameIsTheVariantThatSuitsTheScreenInPoints) {
  picture("/Test.bundle/G.png", 10);
  picture("/Test.bundle/G@2x.png", 20);
  picture("/Test.bundle/G@3x.png", 30);
  picture("/Test.bundle/H@3x.png", 30);
  picture("/Test.bundle/I.png", 10);
  id g = named("G", "/Test.bundle");
  EXPECT_EQ(send<CGFloat()>(g, "scale"_sel), 2.0);
  EXPECT_TRUE(CGSizeEqualToSize(send<CGSize()>(g, "size"_sel), CGSizeMake(10, 10)));
  EXPECT_EQ(send<CGFloat()>(named("H", "/Test.bundle"), "scale"_sel), 3.0) << "a sharper one rather than none";
  EXPECT_EQ(send<CGFloat()>(named("I", "/Test.bundle"), "scale"_sel), 1.0);
  EXPECT_EQ(named("J", "/Test.bundle"), nil);
  id file = send<id(id)>(objc::getClass("UIImage"), "imageWithContentsOfFile:"_sel, foundation::makeString("/Test.bundle/H@3x.png").get());
  EXPECT_EQ(send<CGFloat()>(file, "scale"_sel), 3.0) << "the scale from the file's name";
  std::ofstream(*core::resolve("/Test.bundle/K.png")) << "not a picture";
  EXPECT_EQ(named("K", "/Test.bundle"), nil);
  EXPECT_EQ(core::eventLog().count("image", "/Test.bundle/K.png: not a PNG file"), 1u);
}

TEST_F(UIKit, OnTheLargerPhoneTheThreeTimesVariantIsChosen) {
  uikit::setMainScreen(uikit::Screen::FivePointFiveInch);
  picture("/Big.bundle/G@2x.png", 20);
  picture("/Big.bundle/G@3x.png", 30);
  EXPECT_EQ(send<CGFloat()>(named("G", "/Big.bundle"), "scale"_sel), 3.0);
  const CGRect bounds = send<CGRect()>(send<id()>(objc::getClass("UIScreen"), "mainScreen"_sel), "bounds"_sel);
  EXPECT_TRUE(CGRectEqualToRect(bounds, CGRectMake(0, 0, 414, 736)));
}

TEST_F(UIKit, ImageContextsUseTheScreensScaleForZeroAndRefuseSizesOfNoArea) {
  UIGraphicsBeginImageContextWithOptions(CGSizeMake(30, 15.25), NO, 0);
  id image = UIGraphicsGetImageFromCurrentImageContext();
  UIGraphicsEndImageContext();
  EXPECT_EQ(send<CGFloat()>(image, "scale"_sel), 2.0);
  EXPECT_EQ(CGImageGetWidth(uikit::cgImageOf(image)), 60u);
  EXPECT_EQ(CGImageGetHeight(uikit::cgImageOf(image)), 31u) << "rounded up";
  UIGraphicsBeginImageContextWithOptions(CGSizeMake(0, 10), NO, 0);
  EXPECT_EQ(UIGraphicsGetCurrentContext(), nullptr);
  EXPECT_EQ(UIGraphicsGetImageFromCurrentImageContext(), nil);
  UIGraphicsEndImageContext();
  UIGraphicsEndImageContext();  // none open: nothing happens
  EXPECT_EQ(core::eventLog().count("graphics"), 1u);
}

TEST_F(UIKit, AViewControllerLoadsItsViewOnceOnFirstUse) {
  id controller = objc::autorelease(send<id()>(objc::getClass("UIViewController"), "new"_sel));
  EXPECT_FALSE(send<BOOL()>(controller, "isViewLoaded"_sel));
  id first = send<id()>(controller, "view"_sel);
  EXPECT_TRUE(send<BOOL()>(controller, "isViewLoaded"_sel));
  EXPECT_EQ(send<id()>(controller, "view"_sel), first);
  EXPECT_TRUE(CGRectEqualToRect(send<CGRect()>(first, "frame"_sel), CGRectMake(0, 0, 375, 667))) << "the screen's size";
}

TEST_F(UIKit, ATemplateImageShowsItsShapeInTheTintColour) {
  UIGraphicsBeginImageContextWithOptions(CGSizeMake(2, 2), NO, 1);
  CGContextSetRGBFillColor(UIGraphicsGetCurrentContext(), 1, 1, 1, 1);
  CGContextFillRect(UIGraphicsGetCurrentContext(), CGRectMake(0, 0, 1, 2));
  id shape = send<id(long long)>(UIGraphicsGetImageFromCurrentImageContext(), "imageWithRenderingMode:"_sel, 2);
  UIGraphicsEndImageContext();
  id imageView = objc::autorelease(send<id(id)>(send<id()>(objc::getClass("UIImageView"), "alloc"_sel), "initWithImage:"_sel, shape));
  auto shown = [imageView](std::size_t x) {
    CGContextRef context = coregraphics::createBitmapContext(2, 2);
    quartzcore::render(send<id()>(imageView, "layer"_sel), context);
    CGImageRef image = CGBitmapContextCreateImage(context);
    const coregraphics::RGBA8 pixel = coregraphics::pixelAt(image, x, 0);
    CGImageRelease(image);
    CGContextRelease(context);
    return pixel;
  };
  EXPECT_EQ(shown(0), (coregraphics::RGBA8{0, 122, 255, 255})) << "the device's blue without a tint";
  EXPECT_EQ(shown(1).a, 0);
  send<void(id)>(imageView, "setTintColor:"_sel,
                 send<id(double, double, double, double)>(objc::getClass("UIColor"), "colorWithRed:green:blue:alpha:"_sel, 1.0,
                                                          0.0, 0.0, 1.0));
  EXPECT_EQ(shown(0), (coregraphics::RGBA8{255, 0, 0, 255}));
  id empty = objc::autorelease(send<id(id)>(send<id()>(objc::getClass("UIImageView"), "alloc"_sel), "initWithImage:"_sel, nil));
  EXPECT_TRUE(CGRectEqualToRect(send<CGRect()>(empty, "frame"_sel), CGRectZero)) << "no image: no size";
}

TEST_F(UIKit, ColoursFromHueAndTheirEquality) {
  auto hsb = [](double h, double s, double b) {
    return send<id(double, double, double, double)>(objc::getClass("UIColor"), "colorWithHue:saturation:brightness:alpha:"_sel,
                                                    h, s, b, 1.0);
  };
  auto rgb = [](double r, double g, double b) {
    return send<id(double, double, double, double)>(objc::getClass("UIColor"), "colorWithRed:green:blue:alpha:"_sel, r, g, b,
                                                    1.0);
  };
  EXPECT_TRUE(send<BOOL(id)>(hsb(0, 1, 1), "isEqual:"_sel, rgb(1, 0, 0)));
  EXPECT_TRUE(send<BOOL(id)>(hsb(0.5, 1, 1), "isEqual:"_sel, rgb(0, 1, 1)));
  EXPECT_TRUE(send<BOOL(id)>(hsb(0.25, 0, 0.5), "isEqual:"_sel, rgb(0.5, 0.5, 0.5)));
  EXPECT_FALSE(send<BOOL(id)>(rgb(1, 0, 0), "isEqual:"_sel, rgb(1, 0, 0.001)));
  EXPECT_TRUE(send<BOOL(id)>(send<id()>(objc::getClass("UIColor"), "whiteColor"_sel), "isEqual:"_sel, rgb(1, 1, 1)));
  EXPECT_FALSE(send<BOOL(id)>(rgb(1, 1, 1), "isEqual:"_sel, foundation::makeString("white").get()));
}

TEST_F(UIKit, TheScreenIsBlackWhileTheDisplayIsDarkAndShowsItsWindowsOtherwise) {
  id window = send<id(CGRect)>(send<id()>(objc::getClass("UIWindow"), "alloc"_sel), "initWithFrame:"_sel, CGRectMake(0, 0, 375, 667));
  send<void(id)>(window, "setBackgroundColor:"_sel,
                 send<id(double, double, double, double)>(objc::getClass("UIColor"), "colorWithRed:green:blue:alpha:"_sel, 0.0,
                                                          0.0, 1.0, 1.0));
  CGImageRef hidden = uikit::renderScreen();
  EXPECT_EQ(coregraphics::pixelAt(hidden, 10, 10), (coregraphics::RGBA8{0, 0, 0, 255})) << "windows are made hidden";
  send<void()>(window, "makeKeyAndVisible"_sel);
  CGImageRef shown = uikit::renderScreen();
  EXPECT_EQ(CGImageGetWidth(shown), 750u);
  EXPECT_EQ(coregraphics::pixelAt(shown, 10, 10), (coregraphics::RGBA8{0, 0, 255, 255}));
  hardware::display().set(false);
  CGImageRef dark = uikit::renderScreen();
  EXPECT_EQ(coregraphics::pixelAt(dark, 10, 10), (coregraphics::RGBA8{0, 0, 0, 255}));
  for (CGImageRef image : {hidden, shown, dark}) CGImageRelease(image);
  objc::release(window);
}

}  // namespace
