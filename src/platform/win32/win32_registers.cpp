// The chip's registers at linear addresses, and the one read that may meet a
// mapping with nothing behind it.
#include <windows.h>

#include "platform/win32/win32_guard_frame.h"
#include "platform/win32/win32_platform.h"

namespace {

// movl (%edx), %eax: the guarded read below, and the only instruction the
// handler steps over.
const uint8_t kReadOpcode[2] = {0x8B, 0x02};

// How a read with nothing behind it is reported depends on the host: an
// access violation or an in-page error on Windows, but some hypervisors
// hand a 32-bit process's page fault to Wine with the wrong trap number, and
// it arrives as an illegal (or privileged) instruction at the reading
// instruction. The opcode check keeps any of them ours only there.
bool IsReadFaultCode(DWORD code)
{
    return code == EXCEPTION_ACCESS_VIOLATION || code == EXCEPTION_IN_PAGE_ERROR ||
           code == EXCEPTION_ILLEGAL_INSTRUCTION || code == EXCEPTION_PRIV_INSTRUCTION;
}

}  // namespace

EXCEPTION_DISPOSITION __cdecl GuardedReadFaultHandler(EXCEPTION_RECORD* record, void* establisherFrame,
                                                      CONTEXT* context, void* /*dispatcherContext*/)
{
    if (record->ExceptionFlags & kGuardUnwindFlags)
        return ExceptionContinueSearch;
    if (!IsReadFaultCode(record->ExceptionCode))
        return ExceptionContinueSearch;
    const uint8_t* code = reinterpret_cast<const uint8_t*>(context->Eip);
    if (code[0] != kReadOpcode[0] || code[1] != kReadOpcode[1])
        return ExceptionContinueSearch;
    static_cast<GuardFrame*>(establisherFrame)->faulted = 1;
    context->Eax = 0xFFFFFFFFu;
    context->Eip += sizeof(kReadOpcode);
    return ExceptionContinueExecution;
}

namespace {

// Not inlined, so that the instruction stays in one small, fixed place.
__attribute__((noinline)) uint32_t GuardedReadDword(volatile uint8_t* address, uint32_t* faulted)
{
    uint32_t value;
    uint32_t fault;
    __asm__ __volatile__(VELKOR_GUARD_LINK "movl (%%edx), %%eax\n\t" VELKOR_GUARD_UNLINK
                         : "=a"(value), [faulted] "=&r"(fault)
                         : "d"(address), [handler] "i"(GuardedReadFaultHandler)
                         : "memory", "cc");
    *faulted = fault;
    return value;
}

}  // namespace

void Win32RegisterWindow::SetRanges(const RegisterRange* ranges, int count)
{
    count_ = count < kMappedRangeCount ? count : kMappedRangeCount;
    for (int i = 0; i < count_; ++i)
        ranges_[i] = ranges[i];
}

volatile uint8_t* Win32RegisterWindow::At(uint32_t offset) const
{
    for (int i = 0; i < count_; ++i) {
        const RegisterRange& range = ranges_[i];
        if (offset >= range.offset && offset - range.offset < range.length)
            return reinterpret_cast<volatile uint8_t*>(
                static_cast<uintptr_t>(range.linearAddress + (offset - range.offset)));
    }
    return nullptr;
}

uint32_t Win32RegisterWindow::Read32(uint32_t offset)
{
    volatile uint8_t* at = At(offset & ~3u);
    return at ? *reinterpret_cast<volatile uint32_t*>(at) : 0xFFFFFFFFu;
}

void Win32RegisterWindow::Write32(uint32_t offset, uint32_t value)
{
    volatile uint8_t* at = At(offset & ~3u);
    if (at)
        *reinterpret_cast<volatile uint32_t*>(at) = value;
}

uint8_t Win32RegisterWindow::Read8(uint32_t offset)
{
    volatile uint8_t* at = At(offset);
    return at ? *at : 0xFF;
}

int Win32RegisterWindow::GuardedRead32(uint32_t offset, uint32_t* value)
{
    volatile uint8_t* at = At(offset & ~3u);
    if (!at)
        return 0;
    uint32_t faulted = 0;
    *value = GuardedReadDword(at, &faulted);
    return faulted ? 0 : 1;
}
