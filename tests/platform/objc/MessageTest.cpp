#include "platform/objc/ClassBuilder.h"
#include "platform/objc/Encoding.h"
#include "platform/objc/Message.h"
#include "platform/objc/Ref.h"
#include "tests/platform/objc/TestClasses.h"

#include <gtest/gtest.h>

namespace {

using namespace objc::literals;
using objc::send;

struct Triple {
  double x, y, z;
  static constexpr const char* objcEncoding = "{Triple=ddd}";
};

double piece(id, SEL) { return 3.25; }
Triple triple(id, SEL) { return {1.0, 2.0, 3.0}; }
float half(id, SEL, float value) { return value / 2; }

Class gadgetClass() {
  static const Class cls = objc::ClassBuilder("Gadget", objc::rootClass())
                               .method("piece"_sel, &piece)
                               .method("triple"_sel, &triple)
                               .method("half:"_sel, &half)
                               .build();
  return cls;
}

TEST(NilMessaging, YieldsZeroOfEveryResultKindWithoutCallingTheRuntime) {
  objc::Ref gadget = objc::Ref::adopt(send<id()>(gadgetClass(), "new"_sel));
  // Leave non-zero values in the floating-point and struct return paths first.
  ASSERT_EQ(send<double()>(gadget, "piece"_sel), 3.25);
  ASSERT_EQ(send<Triple()>(gadget, "triple"_sel).z, 3.0);

  EXPECT_EQ(send<BOOL()>(nil, "piece"_sel), NO);
  EXPECT_EQ(send<int()>(nil, "piece"_sel), 0);
  EXPECT_EQ(send<long long()>(nil, "piece"_sel), 0);
  EXPECT_EQ(send<float()>(nil, "piece"_sel), 0.0f);
  EXPECT_EQ(send<double()>(nil, "piece"_sel), 0.0);
  EXPECT_EQ(send<id()>(nil, "piece"_sel), nil);
  const Triple zero = send<Triple()>(nil, "triple"_sel);
  EXPECT_EQ(zero.x, 0.0);
  EXPECT_EQ(zero.y, 0.0);
  EXPECT_EQ(zero.z, 0.0);
  send<void()>(nil, "anything"_sel);
}

TEST(Messaging, ConvertsArgumentsToTheDeclaredTypes) {
  objc::Ref gadget = objc::Ref::adopt(send<id()>(gadgetClass(), "new"_sel));
  // An int literal is passed as the float the method takes.
  EXPECT_EQ(send<float(float)>(gadget, "half:"_sel, 5), 2.5f);
  EXPECT_TRUE(objc::respondsTo(gadget, "half:"_sel));
  EXPECT_FALSE(objc::respondsTo(gadget, "whole:"_sel));
}

TEST(MessagingDeathTest, AnUnrecognizedSelectorAbortsNamingClassAndSelector) {
  objc::Ref gadget = objc::Ref::adopt(send<id()>(gadgetClass(), "new"_sel));
  EXPECT_DEATH(send<void()>(gadget, "explode"_sel), "-\\[Gadget explode\\]: unrecognized selector");
  EXPECT_DEATH(send<void()>(gadgetClass(), "explode"_sel), "\\+\\[Gadget explode\\]");
}

TEST(Encoding, FollowsTheRuntimeLetters) {
  EXPECT_STREQ(objc::encodingOf<void (*)(id, SEL)>(), "v@:");
  EXPECT_STREQ(objc::encodingOf<id (*)(id, SEL)>(), "@@:");
  EXPECT_STREQ(objc::encodingOf<void (*)(id, SEL, id)>(), "v@:@");
  EXPECT_STREQ(objc::encodingOf<BOOL (*)(id, SEL, id, id)>(), "c@:@@");
  EXPECT_STREQ(objc::encodingOf<void (*)(id, SEL, BOOL, BOOL, int)>(), "v@:cci");
  EXPECT_STREQ(objc::encodingOf<void (*)(id, SEL, long long, float, double)>(), "v@:qfd");
  EXPECT_STREQ(objc::encodingOf<Triple (*)(id, SEL)>(), "{Triple=ddd}@:");
}

TEST(Encoding, ComparesWithoutFrameOffsets) {
  EXPECT_TRUE(objc::sameEncoding("v16@0:8", "v@:"));
  EXPECT_FALSE(objc::sameEncoding("v@:@", "v@:"));
  EXPECT_FALSE(objc::sameEncoding("f@:", "d@:"));
}

TEST(Ref, CopiesRetainAndMovesDoNot) {
  objc::Ref probe = testclasses::newProbe();
  EXPECT_EQ(send<long long()>(probe, "retainCount"_sel), 1);
  {
    objc::Ref copy = probe;
    EXPECT_EQ(send<long long()>(probe, "retainCount"_sel), 2);
    objc::Ref moved = std::move(copy);
    EXPECT_EQ(send<long long()>(probe, "retainCount"_sel), 2);
  }
  EXPECT_EQ(send<long long()>(probe, "retainCount"_sel), 1);
  EXPECT_EQ(testclasses::deallocations, 0);
  probe.reset();
  EXPECT_EQ(testclasses::deallocations, 1);
}

}  // namespace
