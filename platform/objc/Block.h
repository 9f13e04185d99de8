#pragma once
// Blocks in the phone's block ABI: the closures handed to the device's APIs (motion
// handlers, dispatch_after work, animation blocks). `makeBlock<Sig>(callable)` lays the
// callable out as a block literal on the stack, as the compiler lays out `^{ ... }`, and
// copies it to the heap with _Block_copy; the callable is copied into the heap block by its
// own copy constructor and destroyed when the block's last reference goes, so what it
// captures (an objc::Ref retains) lives exactly as long as the block. The result is an
// owned heap block, an object that answers retain, release and copy.
//
// `callBlock<Sig>(block, args...)` calls a block through its invoke pointer. A nil block
// does nothing and yields zero, like a message to nil. Blocks made here carry their type
// encoding (BLOCK_HAS_SIGNATURE); the stand-in's runtime refuses, with a fatal error, a
// call whose signature differs, instead of corrupting memory.
//
// Declared for both targets from the phone's documented block runtime (Block.h and the
// block ABI): on the phone libSystem provides the runtime, on the stand-in device
// platform/objc does.

#include "platform/objc/Encoding.h"
#include "platform/objc/Ref.h"
#include "platform/objc/Runtime.h"

#include <cstddef>
#include <type_traits>

extern "C" {
// The class word of a block literal that lives on the stack.
extern void* _NSConcreteStackBlock[32];
// A heap copy of a stack block (or one more reference to a heap block); nil stays nil.
void* _Block_copy(const void* block);
void _Block_release(const void* block);
}

namespace objc {

namespace block {

enum : int {
  kHasCopyDispose = 1 << 25,  // the descriptor has copy and dispose helpers
  kHasCtor = 1 << 26,         // they run C++ constructors and destructors
  kHasSignature = 1 << 30,    // the descriptor has the block's type encoding
};

struct Descriptor {
  unsigned long reserved;
  unsigned long size;
  void (*copy)(void* destination, const void* source);
  void (*dispose)(const void* block);
  const char* signature;
  const char* layout;
};

// The fixed head of every block, as the runtime reads it.
struct Layout {
  void* isa;
  int flags;
  int reserved;
  void (*invoke)(void);  // the block's function, taking the block first
  const Descriptor* descriptor;
};

// Where a captured callable is constructed in a block the runtime has laid out.
struct Place {};
inline constexpr Place place{};

// The block's own type in an encoding: "@?".
struct Self {};

}  // namespace block

template <>
struct TypeEncoding<block::Self> {
  static constexpr const char* value = "@?";
};

}  // namespace objc

// Constructs in storage the runtime owns; found by argument-dependent lookup on Place.
inline void* operator new(decltype(sizeof 0), void* where, objc::block::Place) noexcept { return where; }

namespace objc {

namespace block {

template <class Fn, class R, class... Args>
struct Literal {
  Layout head;
  Fn fn;

  static R invoke(void* self, Args... args) { return static_cast<Literal*>(self)->fn(static_cast<Args&&>(args)...); }
  static void copy(void* destination, const void* source) {
    new (&static_cast<Literal*>(destination)->fn, place) Fn(static_cast<const Literal*>(source)->fn);
  }
  static void dispose(const void* self) { const_cast<Literal*>(static_cast<const Literal*>(self))->fn.~Fn(); }
};

template <class R, class... Args>
inline constexpr auto signatureOf = detail::joined<R, Self, Args...>();

template <class Fn, class R, class... Args>
inline constexpr Descriptor descriptorOf{0, sizeof(Literal<Fn, R, Args...>), &Literal<Fn, R, Args...>::copy,
                                         &Literal<Fn, R, Args...>::dispose, signatureOf<R, Args...>.chars, nullptr};

}  // namespace block

template <class Sig>
struct MakeBlock;

template <class R, class... Args>
struct MakeBlock<R(Args...)> {
  template <class Fn>
  static Ref make(Fn fn) {
    using Literal = block::Literal<Fn, R, Args...>;
    Literal literal{{_NSConcreteStackBlock, block::kHasCopyDispose | block::kHasCtor | block::kHasSignature, 0,
                     reinterpret_cast<void (*)(void)>(&Literal::invoke), &block::descriptorOf<Fn, R, Args...>},
                    static_cast<Fn&&>(fn)};
    return Ref::adopt(static_cast<id>(_Block_copy(&literal)));
  }
};

// A new heap block (owned by the returned reference) that calls `fn` with the arguments of
// Sig.
template <class Sig, class Fn>
Ref makeBlock(Fn fn) {
  return MakeBlock<Sig>::make(static_cast<Fn&&>(fn));
}

namespace detail {
// Stops the device when `block` carries a signature other than `expected`. Only the
// stand-in's frameworks call blocks; the deliverables make them.
void checkBlockSignature(id block, const char* expected);
}  // namespace detail

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
    detail::checkBlockSignature(block, block::signatureOf<R, Args...>.chars);
    // The block may drop the last outside reference to itself while it runs.
    Ref keepAlive{block};
    auto* head = reinterpret_cast<block::Layout*>(block);
    return reinterpret_cast<R (*)(void*, Args...)>(head->invoke)(head, static_cast<Args&&>(args)...);
  }
};

template <class Sig, class... Given>
auto callBlock(id block, Given&&... given) {
  return CallBlock<Sig>::call(block, static_cast<Given&&>(given)...);
}

// One more reference to `block`, as an API that keeps a block takes it: a stack block is
// copied to the heap, a heap block retained.
inline Ref copyBlock(id block) { return Ref::adopt(static_cast<id>(_Block_copy(block))); }

}  // namespace objc
