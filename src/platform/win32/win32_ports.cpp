// x86 port I/O for the PCI configuration ports.
//
// The 9x line lets applications execute in/out. The NT line, and Wine with its
// port emulation off, answer them with a privileged-instruction fault instead.
// Each instruction therefore runs under its own structured exception frame:
// the handler steps over the refused instruction and marks the refusal, and
// from then on reads give all ones (an empty bus) and writes do nothing, so
// the configuration probe finds no device and no further fault is taken.
//
// The frame itself is the one in win32_guard_frame.h: one asm statement
// links it, executes the instruction and unlinks it again; execution always
// leaves through the unlink because the handler resumes right after the
// instruction.
#include <windows.h>

#include "platform/win32/win32_guard_frame.h"
#include "platform/win32/win32_platform.h"

namespace {

// How a refused in/out is reported. The NT line and Wine say privileged
// instruction; a general-protection fault that the system does not decode
// comes as an access violation; CPU emulators that model no I/O permission
// (Wine on qemu's user-mode emulator) call it an illegal instruction. The
// opcode check in the handler keeps any of them ours only when the faulting
// instruction really is one of our port instructions.
const DWORD kPrivilegedInstruction = 0xC0000096;  // STATUS_PRIVILEGED_INSTRUCTION
const DWORD kAccessViolation = 0xC0000005;        // STATUS_ACCESS_VIOLATION
const DWORD kIllegalInstruction = 0xC000001D;     // STATUS_ILLEGAL_INSTRUCTION

// Length and operand size of an in/out instruction at `code`, 0 when it is none.
uint32_t PortInstructionLength(const uint8_t* code, uint32_t* operandBytes, bool* isRead)
{
    uint32_t prefix = 0;
    bool wordOperand = false;
    if (code[0] == 0x66) {
        prefix = 1;
        wordOperand = true;
    }
    uint8_t opcode = code[prefix];
    uint32_t length;
    if (opcode >= 0xE4 && opcode <= 0xE7)
        length = 2;  // in/out with an immediate port number
    else if (opcode >= 0xEC && opcode <= 0xEF)
        length = 1;  // in/out through dx
    else
        return 0;
    bool byteOperand = (opcode & 1) == 0;
    *operandBytes = byteOperand ? 1 : (wordOperand ? 2 : 4);
    *isRead = (opcode & 2) == 0;
    return prefix + length;
}

EXCEPTION_DISPOSITION __cdecl PortFaultHandler(EXCEPTION_RECORD* record, void* establisherFrame, CONTEXT* context,
                                               void* /*dispatcherContext*/)
{
    if (record->ExceptionFlags & kGuardUnwindFlags)
        return ExceptionContinueSearch;
    DWORD code = record->ExceptionCode;
    if (code != kPrivilegedInstruction && code != kAccessViolation && code != kIllegalInstruction)
        return ExceptionContinueSearch;

    uint32_t operandBytes = 0;
    bool isRead = false;
    uint32_t length =
        PortInstructionLength(reinterpret_cast<const uint8_t*>(context->Eip), &operandBytes, &isRead);
    if (length == 0)
        return ExceptionContinueSearch;

    static_cast<GuardFrame*>(establisherFrame)->faulted = 1;
    if (isRead) {
        // A refused read answers like a slot with no device behind it. Only
        // the destination part of eax changes: for a write eax is an input the
        // compiler still relies on afterwards.
        uint32_t mask = operandBytes == 1 ? 0xFFu : (operandBytes == 2 ? 0xFFFFu : 0xFFFFFFFFu);
        context->Eax |= mask;
    }
    context->Eip += length;
    return ExceptionContinueExecution;
}

// Not inlined so that each instruction stays in one small, fixed place; the
// asm statements are volatile and clobber memory, so -Os keeps them in order.
__attribute__((noinline)) uint32_t GuardedInDword(uint16_t port, uint32_t* refused)
{
    uint32_t value;
    uint32_t fault;
    __asm__ __volatile__(VELKOR_GUARD_LINK "inl %%dx, %%eax\n\t" VELKOR_GUARD_UNLINK
                         : "=a"(value), [faulted] "=&r"(fault)
                         : "d"(port), [handler] "i"(PortFaultHandler)
                         : "memory", "cc");
    *refused = fault;
    return value;
}

__attribute__((noinline)) uint8_t GuardedInByte(uint16_t port, uint32_t* refused)
{
    uint8_t value;
    uint32_t fault;
    __asm__ __volatile__(VELKOR_GUARD_LINK "inb %%dx, %%al\n\t" VELKOR_GUARD_UNLINK
                         : "=a"(value), [faulted] "=&r"(fault)
                         : "d"(port), [handler] "i"(PortFaultHandler)
                         : "memory", "cc");
    *refused = fault;
    return value;
}

__attribute__((noinline)) uint32_t GuardedOutDword(uint16_t port, uint32_t value)
{
    uint32_t fault;
    __asm__ __volatile__(VELKOR_GUARD_LINK "outl %%eax, %%dx\n\t" VELKOR_GUARD_UNLINK
                         : [faulted] "=&r"(fault)
                         : "a"(value), "d"(port), [handler] "i"(PortFaultHandler)
                         : "memory", "cc");
    return fault;
}

__attribute__((noinline)) uint32_t GuardedOutByte(uint16_t port, uint8_t value)
{
    uint32_t fault;
    __asm__ __volatile__(VELKOR_GUARD_LINK "outb %%al, %%dx\n\t" VELKOR_GUARD_UNLINK
                         : [faulted] "=&r"(fault)
                         : "a"(value), "d"(port), [handler] "i"(PortFaultHandler)
                         : "memory", "cc");
    return fault;
}

}  // namespace

uint32_t Win32Ports::InDword(uint16_t port)
{
    if (refused_)
        return 0xFFFFFFFFu;
    uint32_t refused = 0;
    uint32_t value = GuardedInDword(port, &refused);
    if (refused)
        refused_ = true;
    return value;
}

uint8_t Win32Ports::InByte(uint16_t port)
{
    if (refused_)
        return 0xFF;
    uint32_t refused = 0;
    uint8_t value = GuardedInByte(port, &refused);
    if (refused)
        refused_ = true;
    return value;
}

void Win32Ports::OutDword(uint16_t port, uint32_t value)
{
    if (!refused_ && GuardedOutDword(port, value))
        refused_ = true;
}

void Win32Ports::OutByte(uint16_t port, uint8_t value)
{
    if (!refused_ && GuardedOutByte(port, value))
        refused_ = true;
}
