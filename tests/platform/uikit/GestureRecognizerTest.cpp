// The gesture recognizers of the hardware buttons, driven through one gesture environment
// with presses at chosen device times.

#include "platform/core/EventLog.h"
#include "platform/core/RunLoop.h"
#include "platform/foundation/Foundation.h"
#include "platform/hardware/HomeButton.h"
#include "platform/objc/AutoreleasePool.h"
#include "platform/objc/ClassBuilder.h"
#include "platform/uikit/UIKit.h"
#include "platform/uikit/gestures/GestureEnvironment.h"
#include "platform/uikit/gestures/GestureState.h"

#include <gtest/gtest.h>

#include <map>
#include <string>
#include <vector>

namespace {

using namespace objc::literals;
using objc::send;
using namespace uikit::gestures;

// What the recognizers' target heard: (action, state, time), and the delegate's answer.
struct Heard {
  std::string action;
  long long state;
  double time;
};
std::vector<Heard> heard;
bool simultaneous = false;

void fired(id, SEL sel, id recognizer) {
  heard.push_back({sel_getName(sel), send<long long()>(recognizer, "state"_sel), core::RunLoop::main().now()});
}
BOOL allowBoth(id, SEL, id, id) { return simultaneous ? YES : NO; }

class Gestures : public ::testing::Test {
 protected:
  void SetUp() override {
    uikit::registerClasses();
    target_ = objc::Ref::adopt(send<id()>(objc::ClassBuilder("Target", objc::rootClass())
                                              .method("a:"_sel, &fired)
                                              .method("b:"_sel, &fired)
                                              .method("c:"_sel, &fired)
                                              .method("gestureRecognizer:shouldRecognizeSimultaneouslyWithGestureRecognizer:"_sel, &allowBoth)
                                              .build(),
                                          "new"_sel));
  }

  objc::Ref make(const char* cls, SEL action) {
    objc::Ref r = objc::Ref::adopt(
        send<id(id, SEL)>(send<id()>(objc::getClass(cls), "alloc"_sel), "initWithTarget:action:"_sel, target_.get(), action));
    send<void(id)>(r, "setDelegate:"_sel, target_.get());
    return r;
  }
  objc::Ref clicks(long long count, SEL action) {
    objc::Ref r = make("UIHBClickGestureRecognizer", action);
    send<void(long long)>(r, "setClickCount:"_sel, count);
    return r;
  }
  objc::Ref longPress(unsigned long taps, SEL action, double duration = 0.4) {
    objc::Ref r = make("UILongPressGestureRecognizer", action);
    send<void(unsigned long)>(r, "setNumberOfTapsRequired:"_sel, taps);
    send<void(double)>(r, "setMinimumPressDuration:"_sel, duration);
    return r;
  }
  void attach(std::initializer_list<id> recognizers) {
    for (id r : recognizers) ASSERT_TRUE(environment_.attach(r));
  }

  // Runs the device to `at`, then the press goes down (or up) there.
  void press(double at, hardware::Press::Phase phase, long long type = hardware::kHomePressType) {
    core::RunLoop::main().runUntil(at);
    environment_.deliver({phase, type, at});
  }
  void click(double down, double up) {
    press(down, hardware::Press::Down);
    press(up, hardware::Press::Up);
  }
  void runTo(double time) { core::RunLoop::main().runUntil(time); }

  static long long stateOf(id r) { return send<long long()>(r, "state"_sel); }
  static std::vector<std::string> actions() {
    std::vector<std::string> names;
    for (const Heard& h : heard) names.push_back(h.action);
    return names;
  }

  objc::AutoreleasePool pool_;
  objc::Ref target_;
  uikit::GestureEnvironment environment_;
};

TEST(GestureStates, TheTableAllowsUIKitsMovesAndNoOthers) {
  const std::map<std::pair<long long, long long>, bool> moves = {
      {{Possible, Began}, true},   {{Possible, Ended}, true},    {{Possible, Failed}, true},
      {{Possible, Changed}, false}, {{Possible, Cancelled}, false}, {{Possible, Possible}, false},
      {{Began, Changed}, true},    {{Began, Ended}, true},       {{Began, Cancelled}, true},
      {{Began, Failed}, false},    {{Began, Possible}, false},    {{Changed, Changed}, true},
      {{Ended, Possible}, true},   {{Ended, Began}, false},       {{Failed, Possible}, true},
      {{Failed, Ended}, false},    {{Cancelled, Possible}, true}, {{Possible, 7}, false},
  };
  for (const auto& [move, allowed] : moves) {
    EXPECT_EQ(isAllowedMove(move.first, move.second), allowed) << move.first << " -> " << move.second;
  }
}

TEST_F(Gestures, AMoveOutsideTheTableStopsTheDeviceNamingTheRecognizer) {
  objc::Ref r = clicks(1, "a:"_sel);
  EXPECT_DEATH(send<void(long long)>(r, "setState:"_sel, Changed), "UIHBClickGestureRecognizer\\(a:\\).*possible to changed");
}

TEST_F(Gestures, ADoubleClickIsRecognizedAtItsSecondReleaseWithinTheWindow) {
  objc::Ref two = clicks(2, "a:"_sel);
  attach({two});
  click(0, 0.1);
  EXPECT_EQ(stateOf(two), Possible);
  click(0.1 + hardware::kMultiPressWindow - 0.01, 0.5);
  ASSERT_EQ(heard.size(), 1u);
  EXPECT_EQ(heard[0].state, Ended);
  EXPECT_DOUBLE_EQ(heard[0].time, 0.5);
  EXPECT_EQ(stateOf(two), Possible) << "ready again once the presses are over";
}

TEST_F(Gestures, AClickRecognizerFailsWhenTheWindowPassesOrAClickTooMany) {
  objc::Ref two = clicks(2, "a:"_sel);
  objc::Ref one = clicks(1, "b:"_sel);
  send<void(id)>(one, "requireGestureRecognizerToFail:"_sel, two.get());  // keeps `one` pending past its click
  attach({two, one});
  click(0, 0.1);
  runTo(0.1 + hardware::kMultiPressWindow + 0.01);
  EXPECT_EQ(actions(), std::vector<std::string>{"b:"}) << "the double click failed when the window passed";

  heard.clear();
  click(1.0, 1.1);
  EXPECT_EQ(stateOf(one), Possible) << "recognized, waiting on the double click";
  press(1.2, hardware::Press::Down);
  EXPECT_EQ(stateOf(one), Failed) << "a second click is one more than it counts";
  EXPECT_TRUE(heard.empty());
}

TEST_F(Gestures, ALongPressBeginsOnceAtItsDurationAndEndsAtRelease) {
  objc::Ref hold = longPress(0, "a:"_sel);
  attach({hold});
  press(0, hardware::Press::Down);
  runTo(0.39);
  EXPECT_TRUE(heard.empty());
  runTo(2.0);
  press(2.0, hardware::Press::Up);
  ASSERT_EQ(heard.size(), 2u);
  EXPECT_EQ(heard[0].state, Began);
  EXPECT_DOUBLE_EQ(heard[0].time, 0.4);
  EXPECT_EQ(heard[1].state, Ended);
  EXPECT_DOUBLE_EQ(heard[1].time, 2.0);

  heard.clear();
  click(3.0, 3.2);  // released early
  EXPECT_TRUE(heard.empty());
  EXPECT_EQ(stateOf(hold), Possible) << "failed, then ready again";
}

TEST_F(Gestures, ATapAndHoldNeedsItsTapInTime) {
  objc::Ref tapHold = longPress(1, "a:"_sel);
  attach({tapHold});
  press(0, hardware::Press::Down);  // a plain hold: the tap is missing
  runTo(1.0);
  press(1.0, hardware::Press::Up);
  EXPECT_TRUE(heard.empty());

  click(2.0, 2.1);  // the tap, then the hold too late
  press(2.1 + hardware::kMultiPressWindow + 0.05, hardware::Press::Down);
  runTo(3.5);
  press(3.5, hardware::Press::Up);
  EXPECT_TRUE(heard.empty());

  click(4.0, 4.1);  // the tap, then the hold in time
  press(4.25, hardware::Press::Down);
  runTo(5.0);
  ASSERT_EQ(heard.size(), 1u);
  EXPECT_EQ(heard[0].state, Began);
  EXPECT_DOUBLE_EQ(heard[0].time, 4.65);
}

TEST_F(Gestures, AWaitingRecognizerFiresWhenItsRequirementFailsAndFailsWhenItRecognizes) {
  objc::Ref two = clicks(2, "a:"_sel);
  objc::Ref one = clicks(1, "b:"_sel);
  send<void(id)>(one, "requireGestureRecognizerToFail:"_sel, two.get());
  attach({two, one});
  click(0, 0.1);
  EXPECT_TRUE(heard.empty()) << "waits while the double click is possible";
  runTo(1.0);
  ASSERT_EQ(heard.size(), 1u);
  EXPECT_EQ(heard[0].action, "b:");
  EXPECT_DOUBLE_EQ(heard[0].time, 0.1 + hardware::kMultiPressWindow);

  heard.clear();
  click(2.0, 2.1);
  click(2.2, 2.3);
  EXPECT_EQ(actions(), std::vector<std::string>{"a:"}) << "the double click won; the single one failed";
}

TEST_F(Gestures, TheFirstAttachedWinsTheSameInstantUnlessTheDelegateAllowsBoth) {
  objc::Ref first = longPress(0, "a:"_sel);
  objc::Ref second = longPress(0, "b:"_sel);
  attach({first, second});
  press(0, hardware::Press::Down);
  runTo(1.0);
  press(1.0, hardware::Press::Up);
  EXPECT_EQ(actions(), (std::vector<std::string>{"a:", "a:"}));
  EXPECT_EQ(stateOf(second), Possible);

  heard.clear();
  simultaneous = true;
  press(2.0, hardware::Press::Down);
  runTo(3.0);
  EXPECT_EQ(actions(), (std::vector<std::string>{"a:", "b:"}));
  simultaneous = false;
}

TEST_F(Gestures, APressOfAnotherTypeIsNotSeen) {
  objc::Ref lockOnly = clicks(1, "a:"_sel);
  objc::Ref types = foundation::toObject(plist::Value(plist::Array{plist::Value(hardware::kLockPressType)}));
  send<void(id)>(lockOnly, "setAllowedPressTypes:"_sel, types.get());
  attach({lockOnly});
  click(0, 0.1);
  EXPECT_TRUE(heard.empty());
  press(1.0, hardware::Press::Down, hardware::kLockPressType);
  press(1.1, hardware::Press::Up, hardware::kLockPressType);
  EXPECT_EQ(actions(), std::vector<std::string>{"a:"});
}

TEST_F(Gestures, EveryMoveIsInTheLogAndARecognizerAttachesOnce) {
  objc::Ref one = clicks(1, "a:"_sel);
  attach({one});
  EXPECT_FALSE(environment_.attach(one));
  uikit::GestureEnvironment other;
  EXPECT_FALSE(other.attach(one)) << "one display at a time";
  click(0, 0.1);
  EXPECT_EQ(core::eventLog().count("gesture", "UIHBClickGestureRecognizer(a:) possible -> ended"), 1u);
  EXPECT_EQ(core::eventLog().count("gesture", "UIHBClickGestureRecognizer(a:) ended -> possible"), 1u);
}

}  // namespace
