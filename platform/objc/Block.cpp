// The block runtime of the stand-in device, with the phone's C interface: _Block_copy and
// _Block_release over the block ABI, and the class that heap blocks answer messages with.
//
// A heap block keeps its reference count in its flags, as the phone's runtime does (the
// count times two in the low bits), and is freed, after its dispose helper has run, when
// the count reaches zero. Its class is a runtime class of the device's, __NSMallocBlock__
// (under NSBlock), whose retain, copy and release are _Block_copy and _Block_release, so a
// block is kept and let go like any other object. A block on the stack is never sent a
// message here: whatever keeps one copies it first.

#include "platform/objc/Block.h"

#include "platform/objc/AutoreleasePool.h"
#include "platform/objc/ClassBuilder.h"
#include "platform/objc/Fatal.h"

#include <cstdlib>
#include <cstring>

extern "C" {
void* _NSConcreteStackBlock[32] = {};
}

namespace objc {

namespace {

using namespace literals;

enum : int {
  kDeallocating = 0x0001,
  kRefcountMask = 0xfffe,  // the count, times two
  kNeedsFree = 1 << 24,    // a heap block
  kIsGlobal = 1 << 28,
};

block::Layout* layoutOf(const void* block) { return static_cast<block::Layout*>(const_cast<void*>(block)); }

id retainBlock(id self, SEL) { return static_cast<id>(_Block_copy(self)); }
void releaseBlock(id self, SEL) { _Block_release(self); }
id autoreleaseBlock(id self, SEL) {
  AutoreleasePool::add(self);
  return self;
}
long long blockRetainCount(id self, SEL) { return (layoutOf(self)->flags & kRefcountMask) / 2; }

Class makeHeapBlockClass() {
  Class base = ClassBuilder("NSBlock", rootClass())
                   .method("retain"_sel, &retainBlock)
                   .method("copy"_sel, &retainBlock)
                   .method("release"_sel, &releaseBlock)
                   .method("autorelease"_sel, &autoreleaseBlock)
                   .method("retainCount"_sel, &blockRetainCount)
                   .build();
  return ClassBuilder("__NSMallocBlock__", base).build();
}

Class heapBlockClass() {
  static const Class cls = makeHeapBlockClass();
  return cls;
}

}  // namespace

namespace detail {

void checkBlockSignature(id block, const char* expected) {
  const block::Layout* head = layoutOf(block);
  if (!(head->flags & block::kHasSignature)) return;
  const block::Descriptor* descriptor = head->descriptor;
  // Without copy and dispose helpers the signature comes right after the size.
  const char* signature = (head->flags & block::kHasCopyDispose)
                              ? descriptor->signature
                              : reinterpret_cast<const char* const*>(descriptor)[2];
  if (signature != nullptr && !sameEncoding(signature, expected)) {
    fatal("block %p called with the wrong signature %s (it is %s)", static_cast<void*>(block), expected, signature);
  }
}

}  // namespace detail

}  // namespace objc

extern "C" {

void* _Block_copy(const void* block) {
  if (block == nullptr) return nullptr;
  objc::block::Layout* source = objc::layoutOf(block);
  if (source->flags & objc::kIsGlobal) return source;
  if (source->flags & objc::kNeedsFree) {
    if ((source->flags & objc::kRefcountMask) == objc::kRefcountMask) objc::fatal("block %p: too many references", block);
    source->flags += 2;
    return source;
  }
  const unsigned long size = source->descriptor->size;
  auto* copy = static_cast<objc::block::Layout*>(std::malloc(size));
  if (copy == nullptr) objc::fatal("_Block_copy: out of memory");
  std::memcpy(static_cast<void*>(copy), source, size);
  copy->flags = (source->flags & ~(objc::kRefcountMask | objc::kDeallocating)) | objc::kNeedsFree | 2;
  if (source->flags & objc::block::kHasCopyDispose) source->descriptor->copy(copy, source);
  copy->isa = reinterpret_cast<void*>(objc::heapBlockClass());
  return copy;
}

void _Block_release(const void* block) {
  if (block == nullptr) return;
  objc::block::Layout* head = objc::layoutOf(block);
  if (!(head->flags & objc::kNeedsFree)) return;  // a global or stack block is not counted
  if ((head->flags & objc::kRefcountMask) == 0) objc::fatal("block %p released once too often", block);
  head->flags -= 2;
  if ((head->flags & objc::kRefcountMask) != 0) return;
  head->flags |= objc::kDeallocating;
  if (head->flags & objc::block::kHasCopyDispose) head->descriptor->dispose(head);
  std::free(head);
}
}
