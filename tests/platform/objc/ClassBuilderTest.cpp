#include "platform/objc/ClassBuilder.h"
#include "platform/objc/Ivar.h"
#include "platform/objc/Message.h"
#include "platform/objc/Ref.h"
#include "tests/platform/objc/TestClasses.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

using namespace objc::literals;
using objc::send;

std::vector<std::string> lifecycle;

struct BaseState {
  BaseState() { lifecycle.push_back("base up"); }
  ~BaseState() { lifecycle.push_back("base down"); }
  int level = 7;
};
struct DerivedState {
  DerivedState() { lifecycle.push_back("derived up"); }
  ~DerivedState() { lifecycle.push_back("derived down"); }
};

int level(id self, SEL) { return objc::stateOf<BaseState>(self).level; }
int hostAnswer(id, SEL) { return 1; }
int tweakAnswer(id, SEL) { return 2; }

Class baseClass() {
  static const Class cls = objc::ClassBuilder("Base", objc::rootClass())
                               .state<BaseState>()
                               .ivar<long long>("_count")
                               .strongIvar("_held")
                               .method("level"_sel, &level)
                               .method("answer"_sel, &hostAnswer)
                               .build();
  return cls;
}

Class derivedClass() {
  static const Class cls = objc::ClassBuilder("Derived", baseClass()).state<DerivedState>().build();
  return cls;
}

TEST(ClassBuilder, ConstructsStateBaseFirstAndDestroysItDerivedFirst) {
  id object = send<id()>(derivedClass(), "new"_sel);
  EXPECT_EQ(send<int()>(object, "level"_sel), 7);
  objc::release(object);
  EXPECT_EQ(lifecycle, (std::vector<std::string>{"base up", "derived up", "derived down", "base down"}));
}

TEST(ClassBuilder, ReleasesStrongIvarsAtDealloc) {
  objc::Ref object = objc::Ref::adopt(send<id()>(baseClass(), "new"_sel));
  *objc::ivarPointer<id>(object, "_held") = testclasses::newProbe().take();
  object.reset();
  EXPECT_EQ(testclasses::deallocations, 1);
}

TEST(IvarLookup, FindsVariablesByNameAlsoInSuperclassesAndMissesOthers) {
  objc::Ref object = objc::Ref::adopt(send<id()>(derivedClass(), "new"_sel));
  long long* count = objc::ivarPointer<long long>(object, "_count");
  ASSERT_NE(count, nullptr);
  EXPECT_EQ(*count, 0);
  *count = 41;
  EXPECT_EQ(*objc::ivarPointer<long long>(object, "_count"), 41);
  EXPECT_STREQ(objc::ivarEncoding(object, "_count"), "q");
  EXPECT_EQ(objc::ivarPointer<long long>(object, "_missing"), nullptr);
  EXPECT_EQ(objc::ivarPointer<long long>(nil, "_count"), nullptr);
}

TEST(AddMethod, KeepsTheHostsOwnMethod) {
  EXPECT_FALSE(objc::addMethod(baseClass(), "answer"_sel, &tweakAnswer, "i@:"));
  objc::Ref object = objc::Ref::adopt(send<id()>(baseClass(), "new"_sel));
  EXPECT_EQ(send<int()>(object, "answer"_sel), 1);
}

TEST(AddMethod, OverridesAnInheritedMethodOnlyOnTheSubclass) {
  EXPECT_TRUE(objc::addMethod(derivedClass(), "answer"_sel, &tweakAnswer, "i@:"));
  objc::Ref derived = objc::Ref::adopt(send<id()>(derivedClass(), "new"_sel));
  objc::Ref base = objc::Ref::adopt(send<id()>(baseClass(), "new"_sel));
  EXPECT_EQ(send<int()>(derived, "answer"_sel), 2);
  EXPECT_EQ(send<int()>(base, "answer"_sel), 1);
}

TEST(AddMethodDeathTest, RefusesAnImplementationThatDisagreesWithItsDeclaredEncoding) {
  EXPECT_DEATH(objc::addMethod(baseClass(), "fresh"_sel, &tweakAnswer, "v@:"), "implementation is i@:, declared v@:");
}

TEST(ClassBuilderDeathTest, RefusesATakenName) {
  baseClass();
  EXPECT_DEATH(objc::ClassBuilder("Base", objc::rootClass()), "name is taken");
}

TEST(RootClass, AnswersIntrospection) {
  objc::Ref derived = objc::Ref::adopt(send<id()>(derivedClass(), "new"_sel));
  EXPECT_TRUE(send<BOOL(Class)>(derived, "isKindOfClass:"_sel, baseClass()));
  EXPECT_FALSE(send<BOOL(Class)>(derived, "isMemberOfClass:"_sel, baseClass()));
  EXPECT_TRUE(send<BOOL(SEL)>(derived, "respondsToSelector:"_sel, "level"_sel));
  EXPECT_TRUE(send<BOOL(SEL)>(derivedClass(), "respondsToSelector:"_sel, "new"_sel));
  EXPECT_FALSE(send<BOOL(SEL)>(derivedClass(), "respondsToSelector:"_sel, "level"_sel));
  EXPECT_TRUE(send<BOOL(SEL)>(derivedClass(), "instancesRespondToSelector:"_sel, "level"_sel));
}

}  // namespace
