#pragma once
// Hosts that differ from the usual in their methods: a host class that lacks a method
// (core::setAbsentMethods, before the classes are built) or has a method of its own under a
// selector a library means to add. A host's own method of that kind answers nil and
// records itself ("host"), whatever it is sent with; it takes objects only, as the methods
// a tweak adds do.

#include "platform/core/HostClasses.h"

#include <set>
#include <string>
#include <vector>

namespace device {

// Gives each named host class its own method of the selector, after the classes are built
// and before any library loads. What could not be done, as messages naming the method
// ("-[SBFoo bar]: the host has no class SBFoo"); empty when all was.
std::vector<std::string> addHostMethods(const std::set<core::MethodName>& methods);

// "-[Class selector]".
std::string methodName(const core::MethodName& method);

}  // namespace device
