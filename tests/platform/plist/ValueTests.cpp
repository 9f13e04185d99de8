#include "platform/plist/PropertyList.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

using plist::Array;
using plist::Dictionary;
using plist::Kind;
using plist::Value;

namespace {

// Overload resolution is where a bool turns into an integer or a pointer into a bool.
static_assert(!std::is_constructible_v<Value, char>);
static_assert(!std::is_constructible_v<Value, std::nullptr_t>);
static_assert(!std::is_constructible_v<Value, const int*>);
static_assert(!std::is_constructible_v<Value, long double>);

TEST(Value, EachCppTypePicksOneKind) {
  EXPECT_EQ(Value(true).kind(), Kind::Boolean);
  EXPECT_EQ(Value(0).kind(), Kind::Integer);
  EXPECT_EQ(*Value(std::uint8_t{200}).asInteger(), 200);
  EXPECT_EQ(*Value(std::size_t{7}).asInteger(), 7);
  EXPECT_EQ(Value(1.5f).kind(), Kind::Real);
  EXPECT_EQ(Value("text").kind(), Kind::String);
  EXPECT_EQ(Value(std::string_view("text")).kind(), Kind::String);
  EXPECT_EQ(Value(), Value(false));
  EXPECT_EQ(Value(3).asReal(), nullptr);
}

TEST(Value, EqualityIsByKindAndValue) {
  EXPECT_NE(Value(1), Value(1.0));
  EXPECT_NE(Value(1), Value(true));
  EXPECT_NE(Value("1"), Value(1));
  EXPECT_EQ(Value(std::nan("")), Value(std::nan("")));
  EXPECT_EQ(Value(plist::Date{std::nan("")}), Value(plist::Date{std::nan("")}));
  EXPECT_EQ(Value(0.0), Value(-0.0));

  const Dictionary a{{"list", Array{1, "two", Dictionary{{"deep", 3.5}}}}, {"flag", true}};
  Dictionary b = a;  // and a copy is deep: changing it leaves `a` alone
  EXPECT_EQ(Value(a), Value(b));
  (*(*b["list"].asArray())[2].asDictionary())["deep"] = 3.25;
  EXPECT_NE(Value(a), Value(b));
}

// The element lives inside the value being replaced; ASan reports a use after free if the
// old contents go first.
TEST(Value, AssigningAnElementToItsContainerIsSafe) {
  Value scalar(Array{Value(2.5), Value("x")});
  scalar = (*scalar.asArray())[0];
  EXPECT_EQ(scalar, Value(2.5));

  Value nested(Array{Value(Array{1, 2})});  // Array{Array{...}} would copy, not nest
  nested = (*nested.asArray())[0];
  EXPECT_EQ(nested, Value(Array{1, 2}));

  Value moving(Dictionary{{"k", "text"}});
  moving = std::move(moving.asDictionary()->at("k"));
  EXPECT_EQ(moving, Value("text"));
}

TEST(Value, OnlyScalarsAndStringsHaveANumberValue) {
  for (const Value& v : {Value(false), Value(0), Value(0.0), Value("")}) EXPECT_TRUE(v.hasNumberValue());
  for (const Value& v : {Value(plist::Data{9}), Value(plist::Date{5.0}), Value(Array{1}), Value(Dictionary{{"a", 1}})}) {
    EXPECT_FALSE(v.hasNumberValue());
    EXPECT_FALSE(v.boolValue());
    EXPECT_EQ(v.intValue(), 0);
    EXPECT_EQ(v.integerValue(), 0);
    EXPECT_EQ(v.doubleValue(), 0.0);
    EXPECT_EQ(v.floatValue(), 0.0f);
  }
}

}  // namespace
