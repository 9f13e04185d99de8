#pragma once
// Which host classes this device leaves out ("a host without SBReachabilitySettings").
// Set before the frameworks register their classes.

#include "platform/objc/ClassBuilder.h"

#include <functional>
#include <set>
#include <string>
#include <utility>

namespace core {

void setAbsentClasses(std::set<std::string> names);
bool isAbsent(const std::string& className);
const std::set<std::string>& absentClasses();

// Instance methods this device's host classes lack, as (class, selector) pairs; set before
// the frameworks register their classes. Those no host class had to leave out are told
// apart afterwards: nothing was left out for them.
using MethodName = std::pair<std::string, std::string>;
void setAbsentMethods(std::set<MethodName> methods);
std::set<MethodName> absentMethodsNotFound();

// Builds the host class `name` with what `define` adds, less its absent methods, unless
// this device leaves the class out.
void defineHostClass(const char* name, const std::function<void(objc::ClassBuilder&)>& define,
                     const char* superclass = "NSObject");

}  // namespace core
