#include "platform/device/HostVariants.h"

#include "platform/core/HostCall.h"
#include "platform/objc/ClassBuilder.h"
#include "platform/objc/Methods.h"

#include <algorithm>

namespace device {

namespace {

id ownWithNoArgument(id self, SEL sel) {
  core::recordHostCall(self, sel, "(the host's own)", {{"own", true}});
  return nil;
}
id ownWithOneArgument(id self, SEL sel, id) { return ownWithNoArgument(self, sel); }
id ownWithTwoArguments(id self, SEL sel, id, id) { return ownWithNoArgument(self, sel); }
id ownWithThreeArguments(id self, SEL sel, id, id, id) { return ownWithNoArgument(self, sel); }

}  // namespace

std::string methodName(const core::MethodName& method) { return "-[" + method.first + " " + method.second + "]"; }

std::vector<std::string> addHostMethods(const std::set<core::MethodName>& methods) {
  std::vector<std::string> problems;
  for (const core::MethodName& method : methods) {
    Class cls = objc::getClass(method.first.c_str());
    SEL sel = sel_registerName(method.second.c_str());
    const auto arguments = std::count(method.second.begin(), method.second.end(), ':');
    if (cls == Nil) {
      problems.push_back(methodName(method) + ": the host has no class " + method.first);
    } else if (objc::ownMethod(cls, sel) != nullptr) {
      problems.push_back(methodName(method) + ": the host has that method already");
    } else if (arguments > 3) {
      problems.push_back(methodName(method) + ": a host's own method takes three arguments at most");
    } else {
      const IMP imps[] = {objc::toImp(&ownWithNoArgument), objc::toImp(&ownWithOneArgument),
                          objc::toImp(&ownWithTwoArguments), objc::toImp(&ownWithThreeArguments)};
      const std::string types = "@@:" + std::string(static_cast<std::size_t>(arguments), '@');
      class_addMethod(cls, sel, imps[arguments], types.c_str());
      core::record("boot", "host implements " + methodName(method) + " of its own",
                   {{"class", method.first}, {"selector", method.second}});
    }
  }
  return problems;
}

}  // namespace device
