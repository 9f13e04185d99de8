#pragma once
// Blocks: reference-counted objects that wrap a C++ callable, as closures are handed to
// the device's APIs (motion handlers, dispatch_after work, animation blocks). What a block
// captures lives as long as the block.

#include "platform/objc/Fatal.h"
#include "platform/objc/Ref.h"

#include <functional>
#include <memory>
#include <typeinfo>
#include <utility>

namespace objc {

namespace detail {

struct BlockBody {
  virtual ~BlockBody() = default;
  virtual const std::type_info& signature() const = 0;
};

template <class Sig>
struct TypedBlockBody final : BlockBody {
  explicit TypedBlockBody(std::function<Sig> fn) : call(std::move(fn)) {}
  const std::type_info& signature() const override { return typeid(Sig); }
  std::function<Sig> call;
};

Ref makeBlockObject(std::unique_ptr<BlockBody> body);
BlockBody* bodyOf(id block);

}  // namespace detail

// A new block (owned by the returned reference) that calls `fn` with the arguments of Sig.
template <class Sig, class Fn>
Ref makeBlock(Fn&& fn) {
  return detail::makeBlockObject(std::make_unique<detail::TypedBlockBody<Sig>>(std::function<Sig>(std::forward<Fn>(fn))));
}

// Calls `block` as Sig. A nil block does nothing and yields zero, like a message to nil.
template <class Sig>
struct CallBlock;

template <class R, class... Args>
struct CallBlock<R(Args...)> {
  static R call(id block, Args... args) {
    if (block == nil) {
      if constexpr (std::is_void_v<R>) {
        return;
      } else {
        return R{};
      }
    }
    detail::BlockBody* body = detail::bodyOf(block);
    if (body == nullptr || body->signature() != typeid(R(Args...))) {
      fatal("block %p called with the wrong signature %s", static_cast<void*>(block), typeid(R(Args...)).name());
    }
    // The block may drop the last outside reference to itself while it runs.
    Ref keepAlive{block};
    return static_cast<detail::TypedBlockBody<R(Args...)>*>(body)->call(std::forward<Args>(args)...);
  }
};

template <class Sig, class... Given>
auto callBlock(id block, Given&&... given) {
  return CallBlock<Sig>::call(block, std::forward<Given>(given)...);
}

}  // namespace objc
