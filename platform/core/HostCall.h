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

inline const char* yesNo(bool value) { return value ? "YES" : "NO"; }

// Whether questions are recorded (--verbose): a host method asks before it makes the words
// of its answer, so that a question costs nothing more when they are not.
inline bool queriesShown() { return eventLog().verbose(); }

// A question a library asks the host and its answer, recorded when the log is verbose:
// "-[NSProcessInfo isLowPowerModeEnabled] -> NO". The host's own code reads its state
// directly and never asks these, so every query is a loaded library's.
inline void recordQuery(id self, SEL sel, const std::string& arguments, const std::string& answer,
                        nlohmann::json fields = nlohmann::json::object()) {
  if (!eventLog().verbose()) return;
  const char* cls = self ? class_getName(object_getClass(self)) : "nil";
  fields["class"] = cls;
  fields["selector"] = sel_getName(sel);
  fields["answer"] = answer;
  std::string text = std::string("-[") + cls + " " + sel_getName(sel) + "]";
  if (!arguments.empty()) text += " " + arguments;
  record("query", text + " -> " + answer, std::move(fields));
}

// A yes-or-no question and its answer; nothing is made unless questions are shown.
inline void recordAnswer(id self, SEL sel, bool answer) {
  if (queriesShown()) recordQuery(self, sel, "", yesNo(answer), {{"value", answer}});
}


}  // namespace core
