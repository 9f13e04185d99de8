#include "platform/plist/Numbers.h"
#include "platform/plist/PropertyList.h"

#include <algorithm>
#include <cmath>
#include <cstring>

namespace plist {

namespace {

bool sameReal(double a, double b) noexcept { return a == b || (std::isnan(a) && std::isnan(b)); }

bool sameBits(double a, double b) noexcept { return std::memcmp(&a, &b, sizeof a) == 0; }

template <typename... F>
struct Overloaded : F... {
  using F::operator()...;
};
template <typename... F>
Overloaded(F...) -> Overloaded<F...>;

}  // namespace

bool operator==(const Date& a, const Date& b) noexcept { return sameReal(a.sinceReferenceDate, b.sinceReferenceDate); }

Value::Value() noexcept : storage_(false) {}
Value::Value(const char* s) : storage_(std::string(s)) {}
Value::Value(std::string s) noexcept : storage_(std::move(s)) {}
Value::Value(std::string_view s) : storage_(std::string(s)) {}
Value::Value(plist::Data d) noexcept : storage_(std::move(d)) {}
Value::Value(plist::Date d) noexcept : storage_(d) {}
Value::Value(plist::Array a) : storage_(detail::Box<plist::Array>(std::move(a))) {}
Value::Value(plist::Dictionary d) : storage_(detail::Box<plist::Dictionary>(std::move(d))) {}

Value::Value(const Value& other) = default;
Value::Value(Value&& other) noexcept = default;
Value::~Value() = default;

// std::variant destroys the old alternative before constructing the new one when the kinds
// differ, which would free `other` first if it is one of our elements. Taking a private copy
// (or moving into one) before touching storage_ avoids that.
Value& Value::operator=(const Value& other) {
  if (this != &other) {
    Value copy(other);
    storage_ = std::move(copy.storage_);
  }
  return *this;
}

Value& Value::operator=(Value&& other) noexcept {
  if (this != &other) {
    Value taken(std::move(other));
    storage_ = std::move(taken.storage_);
  }
  return *this;
}

Kind Value::kind() const noexcept { return static_cast<Kind>(storage_.index()); }

const bool* Value::asBoolean() const noexcept { return std::get_if<bool>(&storage_); }
const std::int64_t* Value::asInteger() const noexcept { return std::get_if<std::int64_t>(&storage_); }
const double* Value::asReal() const noexcept { return std::get_if<double>(&storage_); }
const std::string* Value::asString() const noexcept { return std::get_if<std::string>(&storage_); }
std::string* Value::asString() noexcept { return std::get_if<std::string>(&storage_); }
const plist::Data* Value::asData() const noexcept { return std::get_if<plist::Data>(&storage_); }
plist::Data* Value::asData() noexcept { return std::get_if<plist::Data>(&storage_); }
const plist::Date* Value::asDate() const noexcept { return std::get_if<plist::Date>(&storage_); }

const plist::Array* Value::asArray() const noexcept {
  const auto* box = std::get_if<detail::Box<plist::Array>>(&storage_);
  return box ? &box->get() : nullptr;
}

plist::Array* Value::asArray() noexcept {
  auto* box = std::get_if<detail::Box<plist::Array>>(&storage_);
  return box ? &box->get() : nullptr;
}

const plist::Dictionary* Value::asDictionary() const noexcept {
  const auto* box = std::get_if<detail::Box<plist::Dictionary>>(&storage_);
  return box ? &box->get() : nullptr;
}

plist::Dictionary* Value::asDictionary() noexcept {
  auto* box = std::get_if<detail::Box<plist::Dictionary>>(&storage_);
  return box ? &box->get() : nullptr;
}

bool Value::hasNumberValue() const noexcept {
  switch (kind()) {
    case Kind::Boolean:
    case Kind::Integer:
    case Kind::Real:
    case Kind::String:
      return true;
    default:
      return false;
  }
}

bool Value::boolValue() const noexcept {
  if (const auto* b = asBoolean()) return *b;
  if (const auto* i = asInteger()) return *i != 0;
  if (const auto* r = asReal()) return *r != 0.0;  // NaN is non-zero
  if (const auto* s = asString()) return numbers::stringBoolValue(*s);
  return false;
}

std::int32_t Value::intValue() const noexcept {
  if (const auto* b = asBoolean()) return *b ? 1 : 0;
  if (const auto* i = asInteger()) return static_cast<std::int32_t>(*i);  // low 32 bits
  if (const auto* r = asReal()) return numbers::realToInt32(*r);
  if (const auto* s = asString()) return numbers::stringIntValue(*s);
  return 0;
}

std::int64_t Value::integerValue() const noexcept {
  if (const auto* b = asBoolean()) return *b ? 1 : 0;
  if (const auto* i = asInteger()) return *i;
  if (const auto* r = asReal()) return numbers::realToInt64(*r);
  if (const auto* s = asString()) return numbers::stringIntegerValue(*s);
  return 0;
}

float Value::floatValue() const noexcept {
  if (const auto* b = asBoolean()) return *b ? 1.0f : 0.0f;
  if (const auto* i = asInteger()) return static_cast<float>(*i);
  if (const auto* r = asReal()) return numbers::realToFloat(*r);
  if (const auto* s = asString()) return numbers::stringFloatValue(*s);
  return 0.0f;
}

double Value::doubleValue() const noexcept {
  if (const auto* b = asBoolean()) return *b ? 1.0 : 0.0;
  if (const auto* i = asInteger()) return static_cast<double>(*i);
  if (const auto* r = asReal()) return *r;
  if (const auto* s = asString()) return numbers::stringDoubleValue(*s);
  return 0.0;
}

bool operator==(const Value& a, const Value& b) {
  if (a.kind() != b.kind()) return false;
  return std::visit(
      Overloaded{
          [&](const double& r) { return sameReal(r, *b.asReal()); },
          [&](const detail::Box<Array>& array) { return array.get() == *b.asArray(); },
          [&](const detail::Box<Dictionary>& dictionary) { return dictionary.get() == *b.asDictionary(); },
          [&](const auto& scalar) { return scalar == std::get<std::remove_cvref_t<decltype(scalar)>>(b.storage_); },
      },
      a.storage_);
}

bool identical(const Value& a, const Value& b) {
  if (a.kind() != b.kind()) return false;
  switch (a.kind()) {
    case Kind::Real:
      return sameBits(*a.asReal(), *b.asReal());
    case Kind::Date:
      return sameBits(a.asDate()->sinceReferenceDate, b.asDate()->sinceReferenceDate);
    case Kind::Array:
      return std::equal(a.asArray()->begin(), a.asArray()->end(), b.asArray()->begin(), b.asArray()->end(),
                        [](const Value& x, const Value& y) { return identical(x, y); });
    case Kind::Dictionary:
      return identical(*a.asDictionary(), *b.asDictionary());
    default:
      return a == b;
  }
}

bool identical(const Dictionary& a, const Dictionary& b) {
  return std::equal(a.begin(), a.end(), b.begin(), b.end(),
                    [](const auto& x, const auto& y) { return x.first == y.first && identical(x.second, y.second); });
}

}  // namespace plist
