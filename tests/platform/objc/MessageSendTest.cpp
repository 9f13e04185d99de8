// The stand-in's objc_msgSend and its kin, called as the phone's are: cast to the method's
// own type. Every kind of argument and result the deliverables pass, nil receivers of each
// kind, sends to super, and the class_addMethod that reports where it was called from.

#include "platform/coregraphics/CGAffineTransform.h"
#include "platform/coregraphics/CGGeometry.h"
#include "platform/objc/ClassBuilder.h"
#include "platform/objc/Message.h"
#include "platform/objc/MethodObserver.h"
#include "platform/objc/Ref.h"

#include <gtest/gtest.h>

#include <dlfcn.h>

#include <string>
#include <vector>

namespace {

using namespace objc::literals;
using objc::send;

struct Pair {
  long long first, second;  // comes back in rax and rdx
  static constexpr const char* objcEncoding = "{Pair=qq}";
};
struct Vector3 {
  double x, y, z;  // 24 bytes: through memory
  static constexpr const char* objcEncoding = "{Vector3=ddd}";
};

// Eight integers and ten doubles: more than the argument registers of either kind hold.
long long sumIntegers(id, SEL, int a, long long b, BOOL c, int d, long long e, int f, long long g, int h) {
  return a + b + c + d + e + f + g + h;
}
double sumDoubles(id, SEL, double a, double b, double c, double d, double e, double f, double g, double h, double i,
                  double j) {
  return a + b * 2 + c * 3 + d * 4 + e * 5 + f * 6 + g * 7 + h * 8 + i * 9 + j * 10;
}
double mixed(id, SEL, int a, float b, double c, long long d, float e) { return a * 10000 + b * 1000 + c * 100 + d * 10 + e; }
float halfOf(id, SEL, float x) { return x / 2; }
CGRect grown(id, SEL, CGRect rect, double by) {
  return CGRectMake(rect.origin.x - by, rect.origin.y - by, rect.size.width + 2 * by, rect.size.height + 2 * by);
}
CGSize sizeOf(id, SEL, CGRect rect) { return rect.size; }
Pair pair(id, SEL, long long value) { return {value, -value}; }
Vector3 vector(id, SEL, double x) { return {x, x * 2, x * 3}; }
double determinant(id, SEL, CGAffineTransform t) { return t.a * t.d - t.b * t.c + t.tx; }
const char* name(id, SEL) { return "base"; }
const char* childName(id, SEL) { return "child"; }
Vector3 baseVector(id, SEL) { return {1, 2, 3}; }
Vector3 childVector(id, SEL) { return {-1, -2, -3}; }
id identity(id self, SEL) { return self; }
int classAnswer(id, SEL) { return 42; }

Class widgetClass() {
  static const Class cls = objc::ClassBuilder("Widget", objc::rootClass())
                               .method("sumIntegers:::::::"_sel, &sumIntegers)
                               .method("sumDoubles::::::::::"_sel, &sumDoubles)
                               .method("mixed:::::"_sel, &mixed)
                               .method("halfOf:"_sel, &halfOf)
                               .method("grown:by:"_sel, &grown)
                               .method("sizeOf:"_sel, &sizeOf)
                               .method("pair:"_sel, &pair)
                               .method("vector:"_sel, &vector)
                               .method("determinant:"_sel, &determinant)
                               .method("name"_sel, &name)
                               .method("baseVector"_sel, &baseVector)
                               .method("identity"_sel, &identity)
                               .classMethod("answer"_sel, &classAnswer)
                               .build();
  return cls;
}

Class subwidgetClass() {
  static const Class cls = objc::ClassBuilder("Subwidget", widgetClass())
                               .method("name"_sel, &childName)
                               .method("baseVector"_sel, &childVector)
                               .build();
  return cls;
}

objc::Ref widget() { return objc::Ref::adopt(send<id()>(widgetClass(), "new"_sel)); }

// The raw sender, cast as the deliverables' typed layer casts it.
template <class R, class... Args>
R raw(id receiver, SEL sel, Args... args) {
  return reinterpret_cast<R (*)(id, SEL, Args...)>(&objc_msgSend)(receiver, sel, args...);
}

TEST(MessageSend, PassesIntegerAndFloatingPointArgumentsBeyondTheRegisters) {
  objc::Ref w = widget();
  EXPECT_EQ((raw<long long, int, long long, BOOL, int, long long, int, long long, int>(
                w, "sumIntegers:::::::"_sel, 1, 2LL, YES, 4, 5LL, 6, 7LL, 8)),
            34);
  EXPECT_DOUBLE_EQ(send<double(double, double, double, double, double, double, double, double, double, double)>(
                       w, "sumDoubles::::::::::"_sel, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1),
                   55.0);
  EXPECT_DOUBLE_EQ((send<double(int, float, double, long long, float)>(w, "mixed:::::"_sel, 1, 2.0f, 3.0, 4LL, 0.5f)),
                   12340.5);
  EXPECT_EQ(send<float(float)>(w, "halfOf:"_sel, 3.0f), 1.5f);
}

TEST(MessageSend, PassesAndReturnsStructsOfEverySize) {
  objc::Ref w = widget();
  const CGRect rect = send<CGRect(CGRect, double)>(w, "grown:by:"_sel, CGRectMake(10, 20, 30, 40), 1.0);
  EXPECT_TRUE(CGRectEqualToRect(rect, CGRectMake(9, 19, 32, 42)));
  const CGSize size = send<CGSize(CGRect)>(w, "sizeOf:"_sel, CGRectMake(1, 2, 3, 4));
  EXPECT_EQ(size.width, 3);
  EXPECT_EQ(size.height, 4);
  const Pair p = send<Pair(long long)>(w, "pair:"_sel, 7);
  EXPECT_EQ(p.first, 7);
  EXPECT_EQ(p.second, -7);
  const Vector3 v = send<Vector3(double)>(w, "vector:"_sel, 1.5);
  EXPECT_EQ(v.z, 4.5);
  EXPECT_EQ(send<double(CGAffineTransform)>(w, "determinant:"_sel, CGAffineTransformMake(2, 1, 1, 3, 10, 0)), 15.0);
  EXPECT_EQ(send<int()>(widgetClass(), "answer"_sel), 42);
}

TEST(MessageSend, ANilReceiverAnswersZeroInEveryResultRegister) {
  objc::Ref w = widget();
  // Leave non-zero values where results come back before each nil send.
  ASSERT_EQ(send<float(float)>(w, "halfOf:"_sel, 8.0f), 4.0f);
  EXPECT_EQ(raw<float>(nil, "halfOf:"_sel), 0.0f);
  ASSERT_EQ(send<CGSize(CGRect)>(w, "sizeOf:"_sel, CGRectMake(1, 2, 3, 4)).height, 4);
  const CGSize size = raw<CGSize>(nil, "sizeOf:"_sel);
  EXPECT_EQ(size.width, 0);
  EXPECT_EQ(size.height, 0);
  ASSERT_EQ(send<Pair(long long)>(w, "pair:"_sel, 9).second, -9);
  const Pair p = raw<Pair>(nil, "pair:"_sel);
  EXPECT_EQ(p.first, 0);
  EXPECT_EQ(p.second, 0);
  EXPECT_EQ(raw<long long>(nil, "sumIntegers:::::::"_sel), 0);
  EXPECT_EQ(raw<BOOL>(nil, "identity"_sel), NO);
  EXPECT_EQ(raw<id>(nil, "identity"_sel), nil);
  EXPECT_EQ(raw<double>(nil, "sumDoubles::::::::::"_sel), 0.0);
}

TEST(MessageSend, ANilReceiverOfAStructThroughMemoryAnswersZero) {
  // The sender leaves the memory alone; the typed layer answers a zero struct.
  const Vector3 v = send<Vector3(double)>(nil, "vector:"_sel, 2.0);
  EXPECT_EQ(v.x, 0);
  EXPECT_EQ(v.y, 0);
  EXPECT_EQ(v.z, 0);
  const CGRect rect = send<CGRect(CGRect, double)>(nil, "grown:by:"_sel, CGRectMake(1, 1, 1, 1), 1.0);
  EXPECT_TRUE(CGRectEqualToRect(rect, CGRectZero));
  Vector3 untouched{5, 6, 7};
  auto stret = reinterpret_cast<Vector3* (*)(Vector3*, id, SEL, double)>(&objc_msgSend_stret);
  EXPECT_EQ(stret(&untouched, nil, "vector:"_sel, 2.0), &untouched);
  EXPECT_EQ(untouched.x, 5);
}

TEST(MessageSend, ASendToSuperStartsAtTheSuperclassWithTheSameReceiver) {
  objc::Ref child = objc::Ref::adopt(send<id()>(subwidgetClass(), "new"_sel));
  EXPECT_STREQ(send<const char*()>(child, "name"_sel), "child");
  EXPECT_STREQ(objc::sendSuper<const char*()>(child, subwidgetClass(), "name"_sel), "base");
  EXPECT_EQ(objc::sendSuper<Vector3()>(child, subwidgetClass(), "baseVector"_sel).z, 3);
  EXPECT_EQ(send<Vector3()>(child, "baseVector"_sel).z, -3);
  EXPECT_EQ(objc::sendSuper<id()>(child, subwidgetClass(), "identity"_sel), child.get());
  EXPECT_STREQ(objc::sendSuper<const char*()>(nil, subwidgetClass(), "name"_sel), nullptr);
}

// What the observer heard, with whether the call came from this test program.
std::vector<std::string> heard;
void listen(objc::MethodChange change, Class cls, SEL sel, const char*, const void* caller) {
  Dl_info here{}, there{};
  dladdr(reinterpret_cast<void*>(&listen), &here);
  const bool fromHere = caller != nullptr && dladdr(caller, &there) != 0 && there.dli_fbase == here.dli_fbase;
  heard.push_back(std::string(objc::describe(change)) + " " + objc::nameOf(cls) + " " + sel_getName(sel) +
                  (fromHere ? " from the test" : " from elsewhere"));
}

TEST(ClassAddMethod, ReportsEachCallWithWhereItCameFrom) {
  widgetClass();
  objc::setMethodObserver(&listen);
  EXPECT_TRUE(class_addMethod(widgetClass(), "added"_sel, objc::toImp(&identity), "@@:"));
  EXPECT_FALSE(class_addMethod(widgetClass(), "name"_sel, objc::toImp(&identity), "@@:"));
  EXPECT_FALSE(class_addMethod(Nil, "nowhere"_sel, objc::toImp(&identity), "@@:"));
  objc::setMethodObserver(nullptr);
  EXPECT_EQ(heard, (std::vector<std::string>{"added Widget added from the test",
                                             "kept host's Widget name from the test",
                                             "skipped: class not loaded nil nowhere from the test"}));
  EXPECT_EQ(send<id()>(widget(), "added"_sel) != nil, true);
}

}  // namespace
