#include "platform/core/HostClasses.h"

namespace core {
namespace {
std::set<std::string>& absent() {
  static auto* names = new std::set<std::string>();
  return *names;
}
}  // namespace

void setAbsentClasses(std::set<std::string> names) { absent() = std::move(names); }
bool isAbsent(const std::string& className) { return absent().contains(className); }
const std::set<std::string>& absentClasses() { return absent(); }

void defineHostClass(const char* name, const std::function<void(objc::ClassBuilder&)>& define,
                     const char* superclass) {
  if (isAbsent(name)) return;
  objc::ClassBuilder builder(name, superclass);
  define(builder);
  builder.build();
}

}  // namespace core
