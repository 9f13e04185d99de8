#include "platform/objc/AutoreleasePool.h"
#include "platform/objc/Block.h"
#include "tests/platform/objc/TestClasses.h"

#include <gtest/gtest.h>

namespace {

using testclasses::deallocations;
using testclasses::newProbe;

TEST(Blocks, CallTheirBodyAndOwnWhatTheyCapture) {
  int calls = 0;
  objc::Ref block;
  {
    objc::Ref captured = newProbe();
    block = objc::makeBlock<int(int)>([captured, &calls](int x) {
      ++calls;
      return x * 2;
    });
  }
  EXPECT_EQ(deallocations, 0);
  EXPECT_EQ(objc::callBlock<int(int)>(block, 21), 42);
  EXPECT_EQ(calls, 1);
  block.reset();
  EXPECT_EQ(deallocations, 1);
}

TEST(Blocks, ANilBlockDoesNothing) { EXPECT_EQ(objc::callBlock<int(int)>(nil, 3), 0); }

TEST(BlocksDeathTest, RefuseACallWithAnotherSignature) {
  objc::Ref block = objc::makeBlock<void(id)>([](id) {});
  EXPECT_DEATH(objc::callBlock<void(double)>(block, 1.0), "wrong signature");
}

TEST(AutoreleasePool, ReleasesOnDrainIncludingWhatDrainingAutoreleases) {
  {
    objc::AutoreleasePool pool;
    objc::autorelease(newProbe().take());
    objc::autorelease(newProbe().take());
    EXPECT_EQ(deallocations, 0);
  }
  EXPECT_EQ(deallocations, 2);
  EXPECT_FALSE(objc::AutoreleasePool::isOpen());
}

TEST(AutoreleasePoolDeathTest, RefusesToLoseAnObjectWithNoPoolOpen) {
  EXPECT_DEATH(objc::autorelease(newProbe().take()), "no autorelease pool open");
}

}  // namespace
