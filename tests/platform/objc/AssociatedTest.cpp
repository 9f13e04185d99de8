#include "platform/objc/Associated.h"
#include "tests/platform/objc/TestClasses.h"

#include <gtest/gtest.h>

namespace {

using namespace objc::literals;
using testclasses::deallocations;
using testclasses::newProbe;

const char key = 0;
const char otherKey = 0;

TEST(AssociatedObjects, AreRetainedAndReleasedWithTheirOwner) {
  objc::Ref owner = newProbe();
  {
    objc::Ref value = newProbe();
    objc_setAssociatedObject(owner, &key, value, OBJC_ASSOCIATION_RETAIN_NONATOMIC);
  }
  EXPECT_EQ(deallocations, 0);
  EXPECT_NE(objc_getAssociatedObject(owner, &key), nil);
  owner.reset();
  EXPECT_EQ(deallocations, 2);
}

TEST(AssociatedObjects, ReleaseTheOldValueWhenReplacedOrCleared) {
  objc::Ref owner = newProbe();
  objc_setAssociatedObject(owner, &key, newProbe(), OBJC_ASSOCIATION_RETAIN_NONATOMIC);
  objc::Ref second = newProbe();
  objc_setAssociatedObject(owner, &key, second, OBJC_ASSOCIATION_RETAIN_NONATOMIC);
  EXPECT_EQ(deallocations, 1);
  EXPECT_EQ(objc_getAssociatedObject(owner, &key), second.get());
  objc_setAssociatedObject(owner, &key, nil, OBJC_ASSOCIATION_RETAIN_NONATOMIC);
  EXPECT_EQ(objc_getAssociatedObject(owner, &key), nil);
  second.reset();
  EXPECT_EQ(deallocations, 2);
}

TEST(AssociatedObjects, KeepEachKeyApart) {
  objc::Ref owner = newProbe();
  objc::Ref a = newProbe();
  objc::Ref b = newProbe();
  objc_setAssociatedObject(owner, &key, a, OBJC_ASSOCIATION_RETAIN_NONATOMIC);
  objc_setAssociatedObject(owner, &otherKey, b, OBJC_ASSOCIATION_RETAIN_NONATOMIC);
  EXPECT_EQ(objc_getAssociatedObject(owner, &key), a.get());
  EXPECT_EQ(objc_getAssociatedObject(owner, &otherKey), b.get());
  objc::Ref other = newProbe();
  EXPECT_EQ(objc_getAssociatedObject(other, &key), nil);
}

TEST(AssociatedObjects, AssignDoesNotRetain) {
  objc::Ref owner = newProbe();
  objc::Ref value = newProbe();
  objc_setAssociatedObject(owner, &key, value, OBJC_ASSOCIATION_ASSIGN);
  owner.reset();
  EXPECT_EQ(deallocations, 1);
  EXPECT_EQ(objc::send<long long()>(value, "retainCount"_sel), 1);
}

TEST(AssociatedObjects, IgnoreANilOwner) {
  objc_setAssociatedObject(nil, &key, newProbe(), OBJC_ASSOCIATION_RETAIN_NONATOMIC);
  EXPECT_EQ(objc_getAssociatedObject(nil, &key), nil);
  EXPECT_EQ(deallocations, 1);
}

}  // namespace
