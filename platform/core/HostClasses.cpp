#include "platform/core/HostClasses.h"

namespace core {
namespace {
std::set<std::string>& absent() {
  static auto* names = new std::set<std::string>();
  return *names;
}
struct AbsentMethods {
  std::set<MethodName> asked;
  std::set<MethodName> left;  // asked for and not yet left out by any class
};
AbsentMethods& absentMethods() {
  static auto* methods = new AbsentMethods();
  return *methods;
}
}  // namespace

void setAbsentMethods(std::set<MethodName> methods) { absentMethods() = {methods, methods}; }
std::set<MethodName> absentMethodsNotFound() { return absentMethods().left; }

void setAbsentClasses(std::set<std::string> names) { absent() = std::move(names); }
bool isAbsent(const std::string& className) { return absent().contains(className); }
const std::set<std::string>& absentClasses() { return absent(); }

void defineHostClass(const char* name, const std::function<void(objc::ClassBuilder&)>& define,
                     const char* superclass) {
  if (isAbsent(name)) return;
  objc::ClassBuilder builder(name, superclass);
  define(builder);
  for (const MethodName& method : absentMethods().asked) {
    if (method.first == name && builder.dropMethod(sel_registerName(method.second.c_str()))) absentMethods().left.erase(method);
  }
  builder.build();
}

}  // namespace core
