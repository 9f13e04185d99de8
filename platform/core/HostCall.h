#pragma once
// Host implementations record themselves: "-[Class selector] arguments".

#include "platform/core/EventLog.h"
#include "platform/objc/Runtime.h"

#include <string>

namespace core {

inline void recordHostCall(id self, SEL sel, const std::string& arguments = {},
                           nlohmann::json fields = nlohmann::json::object()) {
  const char* cls = self ? class_getName(object_getClass(self)) : "nil";
  fields["class"] = cls;
  fields["selector"] = sel_getName(sel);
  std::string text = std::string("-[") + cls + " " + sel_getName(sel) + "]";
  if (!arguments.empty()) text += " " + arguments;
  record("host", std::move(text), std::move(fields));
}

}  // namespace core
