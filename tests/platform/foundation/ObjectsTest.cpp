// The runtime classes over the property-list layer, and the Darwin notify center and
// queues on the run loop.

#include "platform/core/EventLog.h"
#include "platform/core/RunLoop.h"
#include "platform/foundation/CFNotificationCenter.h"
#include "platform/core/DeviceRoot.h"
#include "platform/foundation/Dispatch.h"
#include "platform/foundation/Foundation.h"
#include "platform/foundation/Literals.h"
#include "platform/objc/AutoreleasePool.h"
#include "platform/objc/Block.h"
#include "platform/objc/ClassBuilder.h"
#include "platform/objc/Singleton.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

using namespace objc::literals;
using namespace foundation::literals;
using objc::send;

struct Objects : testing::Test {
  void SetUp() override { foundation::registerClasses(); }
  objc::AutoreleasePool pool;
};

TEST_F(Objects, NumbersAndStringsConvertAsThePlatformDoes) {
  id number = send<id(float)>(objc::getClass("NSNumber"), "numberWithFloat:"_sel, 0.3f);
  EXPECT_EQ(send<double()>(number, "doubleValue"_sel), static_cast<double>(0.3f));
  EXPECT_EQ(send<int()>(" -12abc"_ns, "intValue"_sel), -12);
  EXPECT_TRUE(send<BOOL()>(" +0007"_ns, "boolValue"_sel));
  EXPECT_TRUE(send<BOOL(id)>("isEnabled"_ns, "isEqual:"_sel, foundation::makeString("isEnabled").get()));
  EXPECT_EQ("isEnabled"_ns, "isEnabled"_ns) << "one constant per spelling";
}

TEST_F(Objects, ADictionaryRoundTripsThroughADeviceFileAndRecordsTheWrite) {
  id dictionary = send<id()>(objc::getClass("NSMutableDictionary"), "dictionary"_sel);
  send<void(id, id)>(dictionary, "setObject:forKey:"_sel,
                     send<id(BOOL)>(objc::getClass("NSNumber"), "numberWithBool:"_sel, YES), "isEnabled"_ns);
  send<void(id, id)>(dictionary, "setObject:forKey:"_sel, "#D78449"_ns, "bgTessaroColor"_ns);
  id path = "/var/mobile/Library/Preferences/test.plist"_ns;
  ASSERT_TRUE(send<BOOL(id, BOOL)>(dictionary, "writeToFile:atomically:"_sel, path, YES));
  EXPECT_EQ(core::eventLog().count("file.write", "/var/mobile/Library/Preferences/test.plist"), 1u);
  EXPECT_EQ(plist::readDictionary(*core::resolve("/var/mobile/Library/Preferences/test.plist")),
            (plist::Dictionary{{"isEnabled", true}, {"bgTessaroColor", "#D78449"}}));

  id read = send<id(id)>(objc::getClass("NSDictionary"), "dictionaryWithContentsOfFile:"_sel, path);
  ASSERT_NE(read, nil);
  EXPECT_EQ(send<unsigned long()>(read, "count"_sel), 2u);
  EXPECT_TRUE(send<BOOL()>(send<id(id)>(read, "objectForKey:"_sel, "isEnabled"_ns), "boolValue"_sel));
  EXPECT_EQ(send<id(id)>(read, "objectForKey:"_sel, "missing"_ns), nil);
  EXPECT_TRUE(send<BOOL(id)>(send<id()>(objc::getClass("NSFileManager"), "defaultManager"_sel),
                             "fileExistsAtPath:"_sel, path));
}

// The tweak's write-back: the file is read, one key set, and the whole of it written again.
// Another process stored values that XML cannot hold; they come back as they were.
TEST_F(Objects, WritingADictionaryBackKeepsEveryValueTheFileHeld) {
  const plist::Dictionary stored{{"isEnabled", false}, {"farFuture", plist::Date{2.53e11}},
                                 {"halfSecond", plist::Date{-1.5}}, {"offset", -0.0}};
  const auto host = core::resolve("/var/mobile/Library/Preferences/other.plist");
  ASSERT_TRUE(host && core::ensureParentDirectories(*host));
  ASSERT_TRUE(plist::writeDictionaryAtomically(stored, *host, plist::Format::Binary));

  id path = "/var/mobile/Library/Preferences/other.plist"_ns;
  id dictionary = send<id(id)>(send<id()>(objc::getClass("NSMutableDictionary"), "alloc"_sel), "initWithContentsOfFile:"_sel, path);
  ASSERT_NE(dictionary, nil);
  send<void(id, id)>(dictionary, "setObject:forKey:"_sel,
                     send<id(BOOL)>(objc::getClass("NSNumber"), "numberWithBool:"_sel, YES), "isEnabled"_ns);
  EXPECT_TRUE(send<BOOL(id, BOOL)>(dictionary, "writeToFile:atomically:"_sel, path, YES));
  objc::release(dictionary);

  plist::Dictionary expected = stored;
  expected["isEnabled"] = true;
  const auto read = plist::readDictionary(*host);
  ASSERT_TRUE(read);
  EXPECT_TRUE(plist::identical(*read, expected));
}

TEST_F(Objects, AMissingFileGivesNilAndReleasesTheHalfMadeDictionary) {
  id allocated = send<id()>(objc::getClass("NSMutableDictionary"), "alloc"_sel);
  EXPECT_EQ(send<id(id)>(allocated, "initWithContentsOfFile:"_sel, "/var/mobile/nothing.plist"_ns), nil);
  EXPECT_EQ(send<id(id)>(objc::getClass("NSDictionary"), "dictionaryWithContentsOfFile:"_sel, "../escape.plist"_ns), nil);
}

struct Target {
  std::vector<double> fires;
  objc::Ref lastTimer;
};
Target target;
void tick(id, SEL) { target.fires.push_back(core::RunLoop::main().now()); }
void tickWithTimer(id, SEL, id timer) {
  target.fires.push_back(core::RunLoop::main().now());
  target.lastTimer = objc::Ref(timer);
}

Class targetClass() {
  static const Class cls = objc::ClassBuilder("TimerTarget", objc::rootClass())
                               .method("tick"_sel, &tick)
                               .method("tickWithTimer:"_sel, &tickWithTimer)
                               .build();
  return cls;
}

id schedule(double interval, SEL action, BOOL repeats) {
  objc::Ref receiver = objc::Ref::adopt(send<id()>(targetClass(), "new"_sel));
  return send<id(double, id, SEL, id, BOOL)>(objc::getClass("NSTimer"),
                                             "scheduledTimerWithTimeInterval:target:selector:userInfo:repeats:"_sel,
                                             interval, receiver.get(), action, nil, repeats);
}

TEST_F(Objects, TimersRepeatUntilInvalidatedAndPassThemselvesWhenAsked) {
  id timer = schedule(0.5, "tick"_sel, YES);
  core::RunLoop::main().runFor(1.6);
  EXPECT_EQ(target.fires, (std::vector<double>{0.5, 1.0, 1.5}));
  send<void()>(timer, "invalidate"_sel);
  core::RunLoop::main().runFor(2.0);
  EXPECT_EQ(target.fires.size(), 3u);

  id once = schedule(1.0, "tickWithTimer:"_sel, NO);
  core::RunLoop::main().runFor(5.0);
  EXPECT_EQ(target.fires.size(), 4u);
  EXPECT_EQ(target.lastTimer.get(), once);
  EXPECT_FALSE(send<BOOL()>(once, "isValid"_sel));
  target.lastTimer.reset();
}

void observerA(CFNotificationCenterRef, void*, CFNotificationName name, const void*, CFDictionaryRef) {
  core::record("test", "A " + *foundation::stringOf(name));
}
void observerB(CFNotificationCenterRef, void*, CFNotificationName name, const void*, CFDictionaryRef) {
  core::record("test", "B " + *foundation::stringOf(name));
}

TEST_F(Objects, DarwinNotificationsReachEveryObserverInOrderOnALaterTurn) {
  auto center = CFNotificationCenterGetDarwinNotifyCenter();
  CFNotificationCenterAddObserver(center, nullptr, observerB, CFSTR("x.one"), nullptr,
                                  CFNotificationSuspensionBehaviorCoalesce);
  CFNotificationCenterAddObserver(center, nullptr, observerA, CFSTR("x.one"), nullptr,
                                  CFNotificationSuspensionBehaviorCoalesce);
  CFNotificationCenterAddObserver(center, nullptr, observerA, CFSTR("x.two"), nullptr,
                                  CFNotificationSuspensionBehaviorCoalesce);
  CFNotificationCenterPostNotification(center, CFSTR("x.one"), nullptr, nil, 1);
  EXPECT_EQ(core::eventLog().count("test"), 0u) << "delivered inside the post";
  core::RunLoop::main().runFor(0);
  std::vector<std::string> seen;
  for (const auto& event : core::eventLog().ofKind("test")) seen.push_back(event.text);
  EXPECT_EQ(seen, (std::vector<std::string>{"B x.one", "A x.one"}));
}

TEST_F(Objects, DispatchAfterRunsOnTheMainRunLoopAfterItsDelay) {
  std::vector<double> ran;
  objc::Ref work = objc::makeBlock<void()>([&] { ran.push_back(core::RunLoop::main().now()); });
  dispatch_after(dispatch_time(DISPATCH_TIME_NOW, NSEC_PER_SEC / 2), dispatch_get_main_queue(), work);
  work.reset();  // the queue holds the block
  EXPECT_TRUE(ran.empty());
  core::RunLoop::main().runFor(1.0);
  EXPECT_EQ(ran, std::vector<double>{0.5});
}

}  // namespace
