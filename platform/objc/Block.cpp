#include "platform/objc/Block.h"

#include "platform/objc/ClassBuilder.h"

namespace objc::detail {

namespace {

using namespace literals;

struct BlockState {
  std::unique_ptr<BlockBody> body;
};

id copyBlock(id self, SEL) { return retain(self); }

Class blockClass() {
  static const Class cls = ClassBuilder("NSBlock", rootClass())
                               .state<BlockState>()
                               .method("copy"_sel, &copyBlock)
                               .build();
  return cls;
}

}  // namespace

Ref makeBlockObject(std::unique_ptr<BlockBody> body) {
  Ref block = Ref::adopt(send<id()>(blockClass(), "alloc"_sel));
  stateOf<BlockState>(block).body = std::move(body);
  return block;
}

BlockBody* bodyOf(id block) {
  if (classOf(block) != blockClass()) return nullptr;
  return stateOf<BlockState>(block).body.get();
}

}  // namespace objc::detail
