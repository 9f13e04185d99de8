#pragma once
// Which host classes this device leaves out ("a host without SBReachabilitySettings").
// Set before the frameworks register their classes.

#include <set>
#include <string>

namespace core {

void setAbsentClasses(std::set<std::string> names);
bool isAbsent(const std::string& className);
const std::set<std::string>& absentClasses();

}  // namespace core
