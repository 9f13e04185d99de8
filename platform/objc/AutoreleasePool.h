#pragma once
// Objects handed back to a caller that does not own them ("dictionary", a getter that
// builds its result) wait in the innermost pool until it drains. The main run loop
// drains one pool per turn; code outside the loop opens its own.

#include "platform/objc/Runtime.h"

namespace objc {

class AutoreleasePool {
 public:
  AutoreleasePool();
  ~AutoreleasePool();
  AutoreleasePool(const AutoreleasePool&) = delete;
  AutoreleasePool& operator=(const AutoreleasePool&) = delete;

  // Releases, in the innermost pool, once. Aborts when no pool is open: the object
  // would otherwise be lost.
  static void add(id object);
  static bool isOpen();
};

}  // namespace objc
