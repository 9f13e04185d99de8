#include "tools/tessaro-sim/recordings/JsonElement.h"

#include "tools/tessaro-sim/recordings/Recording.h"

#include <nlohmann/json.hpp>

#include <algorithm>
#include <cmath>
#include <string>

namespace recordings::detail {

namespace {

std::string shortened(std::string text, std::size_t limit = 40) {
  if (text.size() > limit) text = text.substr(0, limit) + "...";
  return text;
}

// nlohmann's message, less its tag and its position inside the element's own text.
std::string parseProblem(std::string_view message) {
  const auto column = message.find("column ");
  const auto colon = column == std::string_view::npos ? message.find(": ") : message.find(": ", column);
  return std::string(colon == std::string_view::npos ? message : message.substr(colon + 2));
}

class Element {
 public:
  Element(const std::filesystem::path& file, std::size_t line, std::size_t index) : file_(file), line_(line), index_(index) {}

  [[noreturn]] void fail(const std::string& problem, std::size_t line = 0) const {
    throw RecordingError(file_, line == 0 ? line_ : line, index_, problem);
  }

  double field(const nlohmann::json& object, const char* key, const std::string& name) const {
    const auto found = object.find(key);
    if (found == object.end()) fail("missing field \"" + name + "\"");
    if (!found->is_number()) fail("\"" + name + "\" is not a number: " + shortened(found->dump()));
    const double value = found->get<double>();
    if (!std::isfinite(value)) fail("\"" + name + "\" is not finite");
    return value;
  }

  hardware::Vector3 vector(const nlohmann::json& object, const char* key) const {
    const auto found = object.find(key);
    if (found == object.end()) fail(std::string("missing field \"") + key + "\"");
    if (!found->is_object()) fail(std::string("\"") + key + "\" is not an object with x, y and z");
    const std::string prefix = std::string(key) + ".";
    return {field(*found, "x", prefix + "x"), field(*found, "y", prefix + "y"), field(*found, "z", prefix + "z")};
  }

 private:
  const std::filesystem::path& file_;
  std::size_t line_;
  std::size_t index_;
};

}  // namespace

hardware::TimedReading readElementCarefully(std::string_view text, const std::filesystem::path& file, std::size_t line,
                                            std::size_t index) {
  const Element element(file, line, index);
  nlohmann::json object;
  try {
    object = nlohmann::json::parse(text);
  } catch (const nlohmann::json::out_of_range&) {
    element.fail("a number is out of range (not finite)");
  } catch (const nlohmann::json::parse_error& error) {
    const std::size_t before = std::min<std::size_t>(error.byte > 0 ? error.byte - 1 : 0, text.size());
    const auto newlines = std::count(text.begin(), text.begin() + static_cast<std::ptrdiff_t>(before), '\n');
    element.fail("not valid JSON: " + parseProblem(error.what()), line + static_cast<std::size_t>(newlines));
  }
  hardware::TimedReading reading;
  reading.timestamp = element.field(object, "timestamp", "timestamp");
  reading.reading.gravity = element.vector(object, "gravity");
  reading.reading.userAcceleration = element.vector(object, "userAcceleration");
  return reading;
}

}  // namespace recordings::detail
