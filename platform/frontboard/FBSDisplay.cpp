// FBSDisplay: a display, with its identity.

#include "platform/frontboard/Classes.h"
#include "platform/objc/ClassBuilder.h"
#include "platform/objc/Message.h"

namespace frontboard {

namespace {

using namespace objc::literals;

struct DisplayState {
  objc::Ref identity;
};

id identity(id self, SEL) { return objc::stateOf<DisplayState>(self).identity; }

}  // namespace

void detail::registerFBSDisplay() {
  objc::ClassBuilder("FBSDisplay", objc::rootClass()).state<DisplayState>().method("identity"_sel, &identity).build();
}

namespace {

id makeMainDisplay() {
  id made = objc::send<id()>(objc::getClass("FBSDisplay"), "new"_sel);
  objc::stateOf<DisplayState>(made).identity = objc::Ref(mainDisplayIdentity());
  return made;
}

}  // namespace

// Made by a function, not a lambda: clang 14 crashes on a selector literal inside a lambda
// that initializes a static.
id mainDisplay() {
  static const id display = makeMainDisplay();
  return display;
}

}  // namespace frontboard
