#pragma once
// Property-list values as the device keeps them in its preference files, and reading and
// writing those files. Plain C++: the runtime classes (NSDictionary, NSNumber...) wrap it.

#include <concepts>
#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <type_traits>
#include <utility>
#include <variant>
#include <vector>

namespace plist {

class Value;

using Array = std::vector<Value>;
// Ordered like the device's XML output; std::less<> lets callers look up with a string_view.
using Dictionary = std::map<std::string, Value, std::less<>>;
using Data = std::vector<std::uint8_t>;

// A point in time as the device counts it: seconds since 2001-01-01T00:00:00Z.
struct Date {
  double sinceReferenceDate = 0;

  // NaN equals NaN, so that a value read back compares equal to the one written.
  friend bool operator==(const Date& a, const Date& b) noexcept;
};

enum class Kind { Boolean, Integer, Real, String, Data, Date, Array, Dictionary };

namespace detail {

// Owns one T on the heap with value semantics. A Value cannot hold its own containers in
// place: std::map of an incomplete type is not guaranteed to compile.
template <typename T>
class Box {
 public:
  explicit Box(T value) : ptr_(std::make_unique<T>(std::move(value))) {}
  Box(const Box& other) : ptr_(std::make_unique<T>(other.get())) {}
  Box(Box&&) noexcept = default;
  Box& operator=(const Box& other) {
    // Copy before letting go of the old tree: `other` may live inside it.
    ptr_ = std::make_unique<T>(other.get());
    return *this;
  }
  Box& operator=(Box&&) noexcept = default;
  ~Box() = default;

  // A moved-from box reads as empty instead of dangling.
  const T& get() const { return ptr_ ? *ptr_ : empty(); }
  T& get() {
    if (!ptr_) ptr_ = std::make_unique<T>();
    return *ptr_;
  }

 private:
  static const T& empty() {
    static const T instance;
    return instance;
  }
  std::unique_ptr<T> ptr_;
};

template <typename T>
inline constexpr bool isCharacter =
    std::is_same_v<T, char> || std::is_same_v<T, wchar_t> || std::is_same_v<T, char8_t> ||
    std::is_same_v<T, char16_t> || std::is_same_v<T, char32_t>;

}  // namespace detail

class Value {
 public:
  // Boolean NO: what a missing setting reads as.
  Value() noexcept;

  // Each C++ type picks exactly one kind: a bool stays a boolean, every other integer type is
  // an integer (an unsigned value above INT64_MAX wraps like a C cast), float and double are
  // reals, and a const char* is a string. Character types, long double, pointers and nullptr
  // do not compile.
  template <typename T>
    requires std::same_as<T, bool>
  Value(T b) noexcept : storage_(b) {}
  template <std::integral T>
    requires(!std::same_as<T, bool> && !detail::isCharacter<T>)
  Value(T i) noexcept : storage_(static_cast<std::int64_t>(i)) {}
  template <typename T>
    requires std::same_as<T, float> || std::same_as<T, double>
  Value(T r) noexcept : storage_(static_cast<double>(r)) {}
  Value(const char* s);  // must not be null
  Value(std::string s) noexcept;
  Value(std::string_view s);
  Value(std::nullptr_t) = delete;
  Value(plist::Data d) noexcept;
  Value(plist::Date d) noexcept;
  Value(plist::Array a);
  Value(plist::Dictionary d);

  Value(const Value& other);
  Value(Value&& other) noexcept;
  // Both assignments are safe when `other` is an element of this value.
  Value& operator=(const Value& other);
  Value& operator=(Value&& other) noexcept;
  ~Value();

  Kind kind() const noexcept;
  bool isBoolean() const noexcept { return kind() == Kind::Boolean; }
  bool isInteger() const noexcept { return kind() == Kind::Integer; }
  bool isReal() const noexcept { return kind() == Kind::Real; }
  bool isString() const noexcept { return kind() == Kind::String; }
  bool isData() const noexcept { return kind() == Kind::Data; }
  bool isDate() const noexcept { return kind() == Kind::Date; }
  bool isArray() const noexcept { return kind() == Kind::Array; }
  bool isDictionary() const noexcept { return kind() == Kind::Dictionary; }

  // The held value, or nullptr when this is another kind.
  const bool* asBoolean() const noexcept;
  const std::int64_t* asInteger() const noexcept;
  const double* asReal() const noexcept;
  const std::string* asString() const noexcept;
  std::string* asString() noexcept;
  const plist::Data* asData() const noexcept;
  plist::Data* asData() noexcept;
  const plist::Date* asDate() const noexcept;
  const plist::Array* asArray() const noexcept;
  plist::Array* asArray() noexcept;
  const plist::Dictionary* asDictionary() const noexcept;
  plist::Dictionary* asDictionary() noexcept;

  // NSNumber's readings for booleans, integers and reals, NSString's for strings (see
  // Numbers.h). Data, dates, arrays and dictionaries read as NO / 0 / 0.0; hasNumberValue()
  // tells that apart from a real zero.
  bool hasNumberValue() const noexcept;
  bool boolValue() const noexcept;
  std::int32_t intValue() const noexcept;
  std::int64_t integerValue() const noexcept;
  float floatValue() const noexcept;
  double doubleValue() const noexcept;

  // Same kind and same value: an integer 1 is not equal to a real 1.0, a NaN real equals a
  // NaN real, and dictionaries compare key by key.
  friend bool operator==(const Value& a, const Value& b);

 private:
  using Storage = std::variant<bool, std::int64_t, double, std::string, plist::Data, plist::Date,
                               detail::Box<plist::Array>, detail::Box<plist::Dictionary>>;
  Storage storage_;
};

// The same value bit for bit: like ==, except that reals and dates compare their bits, so
// -0.0 differs from 0.0 and one NaN from another of other payload. What a file written with
// a value gives back.
bool identical(const Value& a, const Value& b);
bool identical(const Dictionary& a, const Dictionary& b);

// --- Files --------------------------------------------------------------------------------

enum class Format {
  Xml,          // what the device writes for preferences, and the default here
  Binary,       // bplist00, as devices also write; keeps every value the model holds
  XmlOrBinary,  // XML when it reads back identical, binary otherwise: for files rewritten
                // whole, where a value another process stored must survive
};

// Larger inputs are refused before parsing.
inline constexpr std::size_t kMaxFileSize = 64u << 20;
// Deeper nesting of arrays and dictionaries is refused, on reading and on writing: libplist
// recurses once per level and would overflow the stack. Both formats count containers
// alone, so a file of either holding a value inside 512 of them is read and written back.
inline constexpr int kMaxNesting = 512;
// Files holding more values than this, keys included, are refused on reading: libplist's
// time grows with the square of the keys of one XML dictionary, and of the objects of a
// tree it writes as binary (a write-back of 100,000 takes about 0.3 s).
inline constexpr std::uint64_t kMaxObjects = 100'000;
// What a parsed file may weigh, refused on reading: 64 bytes an object plus the bytes of its
// strings (as UTF-8) and data; for XML, the whole document's bytes. Reading needs about
// twice this in memory: libplist's tree and ours.
inline constexpr std::uint64_t kMaxWeight = 32u << 20;
// Both count each reference to a shared binary object with all it holds, as libplist
// copies the object for each.

// Parses an XML or binary property list held in memory; an XML one may start with a UTF-8
// byte-order mark. Malformed input, input past one of the limits above, or holding
// something this model has no kind for (a keyed-archive UID, a set, an integer above
// INT64_MAX) or could not write back identical (a string with a NUL or that is not valid
// UTF-8, a date that is not finite or lies more than 10^12 s from 2001), or XML that
// libplist reads otherwise than other readers (an encoding other than UTF-8, a carriage
// return written as itself in a string or key, an integer that is not a plain decimal
// within 64 bits, a date not written YYYY-MM-DDTHH:MM:SSZ) gives nullopt, never a partial
// value. What it gives, serialize(XmlOrBinary) stores.
std::optional<Value> parse(std::span<const std::uint8_t> bytes);

// Reads an XML or binary property list whose top level is a dictionary. A missing,
// unreadable, non-regular file, one parse() refuses, or one with another top level, gives
// nullopt.
std::optional<Dictionary> readDictionary(const std::filesystem::path& path);

// Encodes `value` so that parse(), and other readers of the format, give back a value
// identical to it, or nullopt when the format cannot: a string or key that is not valid
// UTF-8 or holds a NUL, a date that is not finite or lies more than 10^12 s from 2001,
// nesting deeper than kMaxNesting, a result parse() would refuse (larger than kMaxFileSize,
// say); and for XML alone, a date outside the years 1000 to 9999 or with a fraction of a
// second, -0.0, a NaN other than the one XML reads back, or a string or key holding a
// control character other than tab, line feed and carriage return, U+FFFE or U+FFFF (XML
// cannot carry them). A carriage return goes into XML as "&#13;", which every reader reads
// as one.
std::optional<std::vector<std::uint8_t>> serialize(const Value& value, Format format = Format::Xml);

// Replaces `path` with `dictionary`, encoded as serialize() does: the bytes go to a
// temporary file beside it, are synced, and the temporary file is renamed over `path`, so a
// reader sees the old file or the new one, never a mixture. The file ends up with mode 0644.
// On any failure (the encoding, or any system call up to the rename) it returns false,
// removes the temporary file, and leaves an existing file untouched. Once renamed, the new
// file stands even when syncing its directory fails.
bool writeDictionaryAtomically(const Dictionary& dictionary, const std::filesystem::path& path,
                               Format format = Format::Xml);
// Replaces `path` with exactly `bytes`, in the same steps and with the same guarantees as
// writeDictionaryAtomically: a file another process puts in place whole.
bool writeFileAtomically(std::span<const std::uint8_t> bytes, const std::filesystem::path& path);

}  // namespace plist
