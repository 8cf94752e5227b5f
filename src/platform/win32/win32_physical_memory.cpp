// DPMI function 0800h (physical address mapping) through VWIN32, as Windows
// 95, 98 and ME offer it to an ordinary program: the decisions are in
// platform/dpmi_mapping.cpp, the call is here.
#include <windows.h>

#include "platform/dpmi_mapping.h"
#include "platform/win32/win32_platform.h"

int CallVxDDpmiMap(uintptr_t vxdCall, uint32_t physicalAddress, uint32_t length, uint32_t* linearAddress)
{
    // VxDCall2 takes the service and the values for EAX and ECX on the stack
    // and pops them; DPMI takes the rest in registers: BX:CX the physical
    // address, SI:DI the size. Carry set means failure (there is no error
    // code); the linear address comes back in BX:CX. The entry, EDX, ESI and
    // EDI are not kept by the call, so they are outputs here.
    uint32_t entry = static_cast<uint32_t>(vxdCall);
    uint32_t high = physicalAddress >> 16;
    uint32_t low = physicalAddress & 0xFFFFu;
    uint32_t sizeHigh = length >> 16;
    uint32_t sizeLow = length & 0xFFFFu;
    uint32_t carry;
    __asm__ __volatile__(
        "pushl %%ecx\n\t"        // the value for ECX: low word of the physical address
        "pushl %[function]\n\t"  // the value for EAX: DPMI function 0800h
        "pushl %[service]\n\t"   // VWIN32's Int 31h dispatch
        "stc\n\t"                // failure unless the call says otherwise
        "call *%%eax\n\t"
        "sbbl %%edx, %%edx\n\t"  // all ones when the carry flag is set
        : "+a"(entry), "+b"(high), "+c"(low), "=d"(carry), "+S"(sizeHigh), "+D"(sizeLow)
        : [function] "i"(kDpmiMapPhysical), [service] "i"(kVwin32Int31Dispatch)
        : "memory", "cc");
    if (carry)
        return 0;
    // A Win32 program's flat selectors start at 0 on the 9x line, so the
    // linear address is a pointer here.
    *linearAddress = ((high & 0xFFFFu) << 16) | (low & 0xFFFFu);
    return 1;
}

int Win32PhysicalMemory::Map(uint32_t physicalAddress, uint32_t length, uint32_t* linearAddress)
{
    const uint8_t* kernel32 = reinterpret_cast<const uint8_t*>(GetModuleHandleA("KERNEL32.DLL"));
    return MapThroughVxDCall(kernel32, CallVxDDpmiMap, physicalAddress, length, linearAddress);
}

RegisterWindow* Win32PhysicalMemory::WindowOver(const RegisterRange* ranges, int count)
{
    window_.SetRanges(ranges, count);
    return &window_;
}
