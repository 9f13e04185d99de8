// objc_msgSend and its kin for the stand-in device, over the GNU runtime: what a
// deliverable calls on the phone, given here with the phone's contract so that the same
// sources run on both.
//
// Each looks the method up with the GNU runtime (objc_msg_lookup, or objc_msg_lookup_super
// for a send to super) while keeping every argument register as the caller left it, then
// jumps to the implementation: the method runs as if called directly, with the caller's
// arguments, stack arguments included, and returns straight to the caller. A nil receiver
// answers at once with zero in rax, rdx, xmm0 and xmm1, the registers any integer,
// floating-point or small struct result comes back in. The _stret forms are for results
// returned through memory, whose address comes first; for nil they return that address
// and leave the memory alone (the typed layer answers nil with a zero struct itself).

#include "platform/objc/Runtime.h"

#if !defined(__x86_64__)
#error "the stand-in's message senders are written for x86-64"
#endif

// Saves rdi, rsi, rdx, rcx, r8, r9, rax (the vector-register count of a variadic call) and
// xmm0-xmm7 in a frame of 192 bytes below rbp; the stack stays 16-byte aligned for the call.
#define TESSARO_SAVE_ARGUMENTS            \
  "push %rbp\n"                           \
  ".cfi_def_cfa_offset 16\n"              \
  ".cfi_offset %rbp, -16\n"               \
  "mov %rsp, %rbp\n"                      \
  ".cfi_def_cfa_register %rbp\n"          \
  "sub $192, %rsp\n"                      \
  "mov %rdi, 0(%rsp)\n"                   \
  "mov %rsi, 8(%rsp)\n"                   \
  "mov %rdx, 16(%rsp)\n"                  \
  "mov %rcx, 24(%rsp)\n"                  \
  "mov %r8, 32(%rsp)\n"                   \
  "mov %r9, 40(%rsp)\n"                   \
  "mov %rax, 48(%rsp)\n"                  \
  "movdqa %xmm0, 64(%rsp)\n"              \
  "movdqa %xmm1, 80(%rsp)\n"              \
  "movdqa %xmm2, 96(%rsp)\n"              \
  "movdqa %xmm3, 112(%rsp)\n"             \
  "movdqa %xmm4, 128(%rsp)\n"             \
  "movdqa %xmm5, 144(%rsp)\n"             \
  "movdqa %xmm6, 160(%rsp)\n"             \
  "movdqa %xmm7, 176(%rsp)\n"

// Puts the arguments back, unwinds the frame and jumps to the implementation in r11.
#define TESSARO_RESTORE_ARGUMENTS_AND_JUMP \
  "mov %rax, %r11\n"                      \
  "mov 0(%rsp), %rdi\n"                   \
  "mov 8(%rsp), %rsi\n"                   \
  "mov 16(%rsp), %rdx\n"                  \
  "mov 24(%rsp), %rcx\n"                  \
  "mov 32(%rsp), %r8\n"                   \
  "mov 40(%rsp), %r9\n"                   \
  "mov 48(%rsp), %rax\n"                  \
  "movdqa 64(%rsp), %xmm0\n"              \
  "movdqa 80(%rsp), %xmm1\n"              \
  "movdqa 96(%rsp), %xmm2\n"              \
  "movdqa 112(%rsp), %xmm3\n"             \
  "movdqa 128(%rsp), %xmm4\n"             \
  "movdqa 144(%rsp), %xmm5\n"             \
  "movdqa 160(%rsp), %xmm6\n"             \
  "movdqa 176(%rsp), %xmm7\n"             \
  "leave\n"                               \
  ".cfi_def_cfa %rsp, 8\n"                \
  "jmp *%r11\n"

#define TESSARO_BEGIN(name)               \
  ".text\n"                               \
  ".globl " #name "\n"                    \
  ".type " #name ", @function\n"          \
  ".p2align 4\n" #name ":\n"              \
  ".cfi_startproc\n"

#define TESSARO_END(name)                 \
  ".cfi_endproc\n"                        \
  ".size " #name ", .-" #name "\n"

#define TESSARO_ANSWER_NIL                \
  "xor %eax, %eax\n"                      \
  "xor %edx, %edx\n"                      \
  "pxor %xmm0, %xmm0\n"                   \
  "pxor %xmm1, %xmm1\n"                   \
  "ret\n"

// objc_msgSend(receiver, selector, ...)
asm(TESSARO_BEGIN(objc_msgSend)
    "test %rdi, %rdi\n"
    "jz 1f\n"
    TESSARO_SAVE_ARGUMENTS
    "call objc_msg_lookup@PLT\n"
    TESSARO_RESTORE_ARGUMENTS_AND_JUMP
    "1:\n"
    TESSARO_ANSWER_NIL
    TESSARO_END(objc_msgSend));

// objc_msgSend_stret(result, receiver, selector, ...)
asm(TESSARO_BEGIN(objc_msgSend_stret)
    "test %rsi, %rsi\n"
    "jz 1f\n"
    TESSARO_SAVE_ARGUMENTS
    "mov %rsi, %rdi\n"
    "mov %rdx, %rsi\n"
    "call objc_msg_lookup@PLT\n"
    TESSARO_RESTORE_ARGUMENTS_AND_JUMP
    "1:\n"
    "mov %rdi, %rax\n"
    "ret\n"
    TESSARO_END(objc_msgSend_stret));

// objc_msgSendSuper(super, selector, ...): the implementation is called with the
// receiver in place of the objc_super.
asm(TESSARO_BEGIN(objc_msgSendSuper)
    "mov (%rdi), %r10\n"
    "test %r10, %r10\n"
    "jz 1f\n"
    TESSARO_SAVE_ARGUMENTS
    "call objc_msg_lookup_super@PLT\n"
    "mov 0(%rsp), %rdi\n"
    "mov (%rdi), %rdi\n"
    "mov %rdi, 0(%rsp)\n"
    TESSARO_RESTORE_ARGUMENTS_AND_JUMP
    "1:\n"
    TESSARO_ANSWER_NIL
    TESSARO_END(objc_msgSendSuper));

// objc_msgSendSuper_stret(result, super, selector, ...)
asm(TESSARO_BEGIN(objc_msgSendSuper_stret)
    "mov (%rsi), %r10\n"
    "test %r10, %r10\n"
    "jz 1f\n"
    TESSARO_SAVE_ARGUMENTS
    "mov %rsi, %rdi\n"
    "mov %rdx, %rsi\n"
    "call objc_msg_lookup_super@PLT\n"
    "mov 8(%rsp), %rsi\n"
    "mov (%rsi), %rsi\n"
    "mov %rsi, 8(%rsp)\n"
    TESSARO_RESTORE_ARGUMENTS_AND_JUMP
    "1:\n"
    "mov %rdi, %rax\n"
    "ret\n"
    TESSARO_END(objc_msgSendSuper_stret));
