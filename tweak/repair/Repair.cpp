#include "tweak/repair/Repair.h"

#include "platform/coregraphics/CGGeometry.h"
#include "platform/foundation/Literals.h"
#include "platform/objc/Message.h"
#include "platform/objc/Ref.h"
#include "tweak/Settings.h"
#include "tweak/host/Host.h"

#include <numbers>

using namespace objc::literals;
using namespace foundation::literals;
using objc::send;

namespace {

constexpr double kOverlayAlpha = 0.9;
constexpr double kFadeSeconds = 0.5;
constexpr double kStepSeconds = 1.0;
// NSTextAlignmentCenter.
constexpr long long kTextAlignmentCenter = 1;
// 300 turns in 300 seconds: more than any run lasts.
constexpr float kSpinnerTurn = static_cast<float>(600 * std::numbers::pi);
constexpr double kSpinnerSeconds = 300;

// A run's three views, carried from step to step by the steps themselves (each step's
// block holds them); the last step lets them go. No global holds them, so two runs never
// touch each other's overlay.
struct Run {
  objc::Ref overlay;
  objc::Ref status;
  objc::Ref spinner;
};

Class classNamed(const char* name) { return objc_getClass(name); }

id color(double red, double green, double blue, double alpha) {
  return send<id(double, double, double, double)>(host::UIColor(), "colorWithRed:green:blue:alpha:"_sel, red,
                                                  green, blue, alpha);
}

objc::Ref viewOfClass(const char* name, CGRect frame) {
  return objc::Ref::adopt(send<id(CGRect)>(send<id()>(classNamed(name), "alloc"_sel), "initWithFrame:"_sel, frame));
}

void setAlpha(id view, double alpha) { send<void(double)>(view, "setAlpha:"_sel, alpha); }
void setOpacity(id view, float opacity) { send<void(float)>(send<id()>(view, "layer"_sel), "setOpacity:"_sel, opacity); }

// The full-screen backdrop, its status line and the turning progress image.
Run buildOverlay() {
  const CGRect screen = send<CGRect()>(send<id()>(classNamed("UIScreen"), "mainScreen"_sel), "bounds"_sel);
  const double width = screen.size.width, height = screen.size.height;
  Run run;

  run.overlay = viewOfClass("UIView", screen);
  send<void(id)>(run.overlay, "setBackgroundColor:"_sel, send<id()>(host::UIColor(), "blackColor"_sel));
  send<void(BOOL)>(send<id()>(run.overlay, "layer"_sel), "setMasksToBounds:"_sel, NO);

  run.status = viewOfClass("UITextView", CGRectMake(0, 0, width, 40));
  send<void(CGPoint)>(run.status, "setCenter:"_sel, CGPointMake(width / 2, height / 2 - 30));
  send<void(BOOL)>(run.status, "setSelectable:"_sel, NO);
  send<void(long long)>(run.status, "setTextAlignment:"_sel, kTextAlignmentCenter);
  send<void(id)>(run.status, "setBackgroundColor:"_sel, send<id()>(host::UIColor(), "clearColor"_sel));
  send<void(BOOL)>(run.status, "setClipsToBounds:"_sel, YES);
  send<void(id)>(run.status, "setFont:"_sel, send<id(double)>(classNamed("UIFont"), "systemFontOfSize:"_sel, 26.0));
  send<void(id)>(run.status, "setTextColor:"_sel, color(1.0, 1.0, 1.0, 0.95));
  send<void(id)>(run.status, "setText:"_sel, "Fixing TouchID - (1/2)"_ns);
  setOpacity(run.status, 1.0f);
  send<void(id)>(run.overlay, "addSubview:"_sel, run.status.get());

  // Read at every run: the image belongs to another package, and may come and go.
  id image = send<id(id)>(classNamed("UIImage"), "imageWithContentsOfFile:"_sel,
                          "/Library/PreferenceBundles/Corvel.bundle/Progress@3x.png"_ns);
  run.spinner = objc::Ref::adopt(send<id(id)>(send<id()>(classNamed("UIImageView"), "alloc"_sel), "initWithImage:"_sel, image));
  send<void(id)>(run.overlay, "addSubview:"_sel, run.spinner.get());
  send<void(CGRect)>(run.spinner, "setFrame:"_sel, CGRectMake(0, 0, 80, 80));
  send<void(CGPoint)>(run.spinner, "setCenter:"_sel, CGPointMake(width / 2, height / 2 + 30));
  setOpacity(run.spinner, 1.0f);

  // No from-value: the turn starts from the layer's present rotation.
  id spin = send<id(id)>(classNamed("CABasicAnimation"), "animationWithKeyPath:"_sel, "transform.rotation.z"_ns);
  send<void(id)>(spin, "setToValue:"_sel, send<id(float)>(classNamed("NSNumber"), "numberWithFloat:"_sel, kSpinnerTurn));
  send<void(double)>(spin, "setDuration:"_sel, kSpinnerSeconds);
  send<void(BOOL)>(spin, "setCumulative:"_sel, YES);
  send<void(float)>(spin, "setRepeatCount:"_sel, 1.0f);
  send<void(id, id)>(send<id()>(run.spinner, "layer"_sel), "addAnimation:forKey:"_sel, spin, "transform.rotation.z"_ns);
  return run;
}

template <class Then>
void fadeIn(const Run& run, Then then) {
  host::animate(kFadeSeconds, [run] { setAlpha(run.overlay, kOverlayAlpha); }, static_cast<Then&&>(then));
}

void takeAway(const Run& run) {
  setAlpha(run.overlay, 0);
  send<void()>(run.overlay, "removeFromSuperview"_sel);
}

// The seven steps, each scheduling the next: after a fade as its completion, otherwise one
// second later on the main queue.
void end(const Run& run) {
  host::simulateHomeButtonPress();
  takeAway(run);
}

void secondLock(const Run& run) {
  host::simulateLockButtonPress();
  host::dispatchAfter(kStepSeconds, [run] { end(run); });
}

void switchOn(const Run& run) {
  writeIsEnabled(YES);
  host::dispatchAfter(kStepSeconds, [run] { secondLock(run); });
}

void secondStart(const Run& run) {
  host::simulateHomeButtonPress();
  send<void(id)>(run.status, "setText:"_sel, "Starting TouchID - (2/2)"_ns);
  send<void(id)>(host::rootFolderView(), "addSubview:"_sel, run.overlay.get());
  fadeIn(run, [run](BOOL) { switchOn(run); });
}

void firstLock(const Run& run) {
  host::simulateLockButtonPress();
  takeAway(run);
  host::dispatchAfter(kStepSeconds, [run] { secondStart(run); });
}

void switchOff(const Run& run) {
  writeIsEnabled(NO);
  host::dispatchAfter(kStepSeconds, [run] { firstLock(run); });
}

}  // namespace

void fixButton(CFNotificationCenterRef, void*, CFNotificationName, const void*, CFDictionaryRef) {
  const Run run = buildOverlay();
  setAlpha(run.overlay, 0);
  host::simulateHomeButtonPress();
  send<void(id)>(host::rootFolderView(), "addSubview:"_sel, run.overlay.get());
  fadeIn(run, [run](BOOL) { switchOff(run); });
}
