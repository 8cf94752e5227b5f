#pragma once
// A structured exception frame around one instruction that may fault: a port
// instruction the system refuses, or a register read through a mapping that
// leads nowhere.
//
// MinGW has no __try, and AddVectoredExceptionHandler does not exist before
// XP, so the frame is the classic one: a {previous, handler} record on the
// stack, made the head of the chain at fs:[0]. One asm statement links the
// frame, executes the instruction and unlinks the frame again, so the compiler
// can neither separate them nor move anything between them. The handler marks
// the fault in the frame and resumes right after the instruction, so
// execution always leaves through the unlink.
//
//   __asm__ __volatile__(VELKOR_GUARD_LINK "the instruction\n\t" VELKOR_GUARD_UNLINK
//                        : ..., [faulted] "=&r"(fault)
//                        : ..., [handler] "i"(TheHandler)
//                        : "memory", "cc");
#include <windows.h>

#include <stdint.h>

// The frame the asm builds on the stack, lowest address first.
struct GuardFrame {
    GuardFrame* previous;
    void* handler;
    uint32_t faulted;  // 0 when pushed; the handler sets 1
};

// A handler ignores the unwinding passes, which are not faults of ours.
const DWORD kGuardUnwindFlags = EXCEPTION_UNWINDING | EXCEPTION_EXIT_UNWIND;

// Link the frame: fault slot, handler, then the previous head of the chain.
// The new head is esp itself, which the system requires to be on the stack.
#define VELKOR_GUARD_LINK  \
    "pushl $0\n\t"         \
    "pushl %[handler]\n\t" \
    "pushl %%fs:0\n\t"     \
    "movl %%esp, %%fs:0\n\t"

// Unlink: restore the previous head, drop the handler, take the fault slot.
#define VELKOR_GUARD_UNLINK \
    "popl %%fs:0\n\t"       \
    "addl $4, %%esp\n\t"    \
    "popl %[faulted]\n\t"
