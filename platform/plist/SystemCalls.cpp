#include "platform/plist/SystemCalls.h"

#include <stdlib.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>

namespace plist::detail {

const SystemCalls& realSystemCalls() {
  static const SystemCalls calls{::mkostemp, ::fchmod, ::write, ::fsync, ::close, ::rename, ::unlink};
  return calls;
}

SystemCalls& systemCalls() {
  static SystemCalls calls = realSystemCalls();
  return calls;
}

}  // namespace plist::detail
