// CCUIContentModuleContext: what Control Center tells a module about itself, its
// identifier.

#include "platform/core/HostCall.h"
#include "platform/core/HostClasses.h"
#include "platform/foundation/Foundation.h"
#include "platform/objc/ClassBuilder.h"
#include "platform/controlcenter/Classes.h"

namespace controlcenter::detail {
namespace {

using namespace objc::literals;

struct ContextState {
  objc::Ref identifier;
};

id initWithModuleIdentifier(id self, SEL, id identifier) {
  objc::stateOf<ContextState>(self).identifier = objc::Ref(identifier);
  return self;
}

id moduleIdentifier(id self, SEL sel) {
  id identifier = objc::stateOf<ContextState>(self).identifier;
  const auto text = foundation::stringOf(identifier);
  if (core::queriesShown()) core::recordQuery(self, sel, "", text ? "\"" + *text + "\"" : "nil");
  return identifier;
}

}  // namespace

void registerCCUIContentModuleContext() {
  core::defineHostClass("CCUIContentModuleContext", [](objc::ClassBuilder& c) {
    c.state<ContextState>()
        .method("initWithModuleIdentifier:"_sel, &initWithModuleIdentifier)
        .method("moduleIdentifier"_sel, &moduleIdentifier);
  });
}

}  // namespace controlcenter::detail
