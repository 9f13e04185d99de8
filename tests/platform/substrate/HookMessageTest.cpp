#include "platform/objc/ClassBuilder.h"
#include "platform/objc/MethodObserver.h"
#include "platform/objc/Ref.h"
#include "platform/substrate/CheckedHook.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

using namespace objc::literals;
using objc::send;

int hostGreeting(id, SEL, int x) { return x + 100; }
int hostFarewell(id, SEL) { return -1; }

Class hostBase() {
  static const Class cls = objc::ClassBuilder("HostBase", objc::rootClass())
                               .ivar<id>("_displayIdentity")
                               .method("greeting:"_sel, &hostGreeting)
                               .method("farewell"_sel, &hostFarewell)
                               .build();
  return cls;
}

Class hostChild() {
  static const Class cls = objc::ClassBuilder("HostChild", hostBase()).build();
  return cls;
}

using Greeting = int (*)(id, SEL, int);
Greeting originalGreeting = nullptr;
int hookedGreeting(id self, SEL sel, int x) { return originalGreeting(self, sel, x) * 2; }

// The substrate's reports (no caller); the classes the test defines are reported too.
std::vector<std::string> changes;
void recordChange(objc::MethodChange change, Class cls, SEL sel, const char*, const void* caller) {
  if (caller != nullptr) return;
  changes.push_back(std::string(objc::describe(change)) + " " + objc::nameOf(cls) + " " + sel_getName(sel));
}

objc::Ref make(Class cls) { return objc::Ref::adopt(send<id()>(cls, "new"_sel)); }

TEST(HookMessage, CallsThroughToTheHostImplementation) {
  objc::setMethodObserver(&recordChange);
  ASSERT_TRUE(substrate::hookMessage(hostBase(), "greeting:"_sel, &hookedGreeting, &originalGreeting));
  EXPECT_EQ(originalGreeting, &hostGreeting);
  EXPECT_EQ(send<int(int)>(make(hostBase()), "greeting:"_sel, 1), 202);
  EXPECT_EQ(send<int(int)>(make(hostChild()), "greeting:"_sel, 1), 202);
  EXPECT_EQ(changes, std::vector<std::string>{"hooked HostBase greeting:"});
}

TEST(HookMessage, OnAnInheritedSelectorLeavesTheSuperclassAlone) {
  ASSERT_TRUE(substrate::hookMessage(hostChild(), "greeting:"_sel, &hookedGreeting, &originalGreeting));
  EXPECT_EQ(originalGreeting, &hostGreeting);
  EXPECT_EQ(send<int(int)>(make(hostChild()), "greeting:"_sel, 1), 202);
  EXPECT_EQ(send<int(int)>(make(hostBase()), "greeting:"_sel, 1), 101);
}

TEST(HookMessage, ChangesNothingWhenNoClassAnswersTheSelector) {
  objc::setMethodObserver(&recordChange);
  IMP slot = nullptr;
  MSHookMessageEx(hostChild(), "absent:"_sel, objc::toImp(&hookedGreeting), &slot);
  EXPECT_EQ(slot, nullptr);
  EXPECT_FALSE(objc::respondsTo(make(hostChild()), "absent:"_sel));
  MSHookMessageEx(Nil, "greeting:"_sel, objc::toImp(&hookedGreeting), &slot);
  EXPECT_EQ(slot, nullptr);
  EXPECT_EQ(changes, (std::vector<std::string>{"skipped: no such method HostChild absent:",
                                               "skipped: class not loaded nil greeting:"}));
}

TEST(HookMessageDeathTest, RefusesAReplacementWithAnotherSignature) {
  using Farewell = void (*)(id, SEL);
  Farewell slot = nullptr;
  auto wrong = [](id, SEL) {};
  EXPECT_DEATH(substrate::hookMessage(hostBase(), "farewell"_sel, static_cast<Farewell>(wrong), &slot),
               "replacement is v@:, host method is i@:");
}

TEST(HookIvar, FindsAVariableByNameOrNone) {
  objc::Ref object = make(hostChild());
  id* identity = MSHookIvar<id>(object, "_displayIdentity");
  ASSERT_NE(identity, nullptr);
  EXPECT_EQ(*identity, nil);
  EXPECT_EQ(MSHookIvar<id>(object, "_displayID"), nullptr);
}

}  // namespace
