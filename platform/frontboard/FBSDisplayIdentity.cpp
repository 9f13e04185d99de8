// FBSDisplayIdentity: names a display; the device has one, the main display.

#include "platform/frontboard/Classes.h"
#include "platform/objc/ClassBuilder.h"
#include "platform/objc/Message.h"

namespace frontboard {

void detail::registerFBSDisplayIdentity() { objc::ClassBuilder("FBSDisplayIdentity", objc::rootClass()).build(); }

id mainDisplayIdentity() {
  using namespace objc::literals;
  static const id identity = objc::send<id()>(objc::getClass("FBSDisplayIdentity"), "new"_sel);
  return identity;
}

}  // namespace frontboard
