// NSError: a domain and a code, as a framework hands a failure to a handler.

#include "platform/foundation/Classes.h"
#include "platform/foundation/Foundation.h"
#include "platform/objc/ClassBuilder.h"
#include "platform/objc/Message.h"

namespace foundation {
namespace detail {
namespace {

using namespace objc::literals;

struct ErrorState {
  objc::Ref domain;
  long long code = 0;
};

ErrorState& errorOf(id self) { return objc::stateOf<ErrorState>(self); }

id errorWithDomain(id cls, SEL, id domain, long long code, id) {
  id made = objc::send<id()>(cls, "new"_sel);
  errorOf(made).domain = objc::Ref(domain);
  errorOf(made).code = code;
  return objc::autorelease(made);
}
id domain(id self, SEL) { return errorOf(self).domain; }
long long code(id self, SEL) { return errorOf(self).code; }

}  // namespace

void registerErrorClass() {
  objc::ClassBuilder("NSError", objc::rootClass())
      .state<ErrorState>()
      .classMethod("errorWithDomain:code:userInfo:"_sel, &errorWithDomain)
      .method("domain"_sel, &domain)
      .method("code"_sel, &code)
      .build();
}

}  // namespace detail

id makeError(std::string_view domain, long long code) {
  using namespace objc::literals;
  return objc::send<id(id, long long, id)>(objc::getClass("NSError"), "errorWithDomain:code:userInfo:"_sel,
                                           makeString(domain).get(), code, nil);
}

}  // namespace foundation
