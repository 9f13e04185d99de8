#include "platform/objc/AutoreleasePool.h"

#include "platform/objc/Fatal.h"
#include "platform/objc/Ref.h"

#include <vector>

namespace objc {

namespace {
thread_local std::vector<std::vector<id>> pools;
}

AutoreleasePool::AutoreleasePool() { pools.emplace_back(); }

AutoreleasePool::~AutoreleasePool() {
  // Releasing may autorelease more into this same pool; drain until it stays empty.
  while (!pools.back().empty()) {
    std::vector<id> batch;
    batch.swap(pools.back());
    for (id object : batch) release(object);
  }
  pools.pop_back();
}

void AutoreleasePool::add(id object) {
  if (pools.empty()) fatal("-[%s autorelease] with no autorelease pool open", nameOf(classOf(object)));
  pools.back().push_back(object);
}

bool AutoreleasePool::isOpen() { return !pools.empty(); }

}  // namespace objc
