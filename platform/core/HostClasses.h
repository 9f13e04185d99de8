#pragma once
// Which host classes this device leaves out ("a host without SBReachabilitySettings").
// Set before the frameworks register their classes.

#include "platform/objc/ClassBuilder.h"

#include <functional>
#include <set>
#include <string>

namespace core {

void setAbsentClasses(std::set<std::string> names);
bool isAbsent(const std::string& className);
const std::set<std::string>& absentClasses();

// Builds the host class `name` with what `define` adds, unless this device leaves it out.
void defineHostClass(const char* name, const std::function<void(objc::ClassBuilder&)>& define,
                     const char* superclass = "NSObject");

}  // namespace core
