#pragma once
// DPMI function 0800h (physical address mapping) through kernel32's VxDCall
// entry on Windows 95, 98 and ME. The platform makes the call itself (one asm
// statement); every decision around it is made here, where tests reach it.
#include <stdint.h>

// VxDCall2: the service and two more arguments on the stack (eax, ecx).
// Windows 95 refuses GetProcAddress by ordinal on kernel32, hence the walk.
const uint32_t kVxDCall2Ordinal = 3;
const uint32_t kVwin32Int31Dispatch = 0x002A0029;  // VWIN32 service 0x29: DPMI
const uint32_t kDpmiMapPhysical = 0x0800;

enum class ExportKind {
    Missing,    // no such ordinal, or no usable export table
    Named,      // the ordinal has a name: some other function (the NT line)
    Forwarder,  // a "module.function" string, not code (Wine)
    Code,
};

// What the PE image loaded at `image` exports under `ordinal`: for Code its
// address in *address, for a Forwarder the string in *forwarder.
ExportKind FindExportByOrdinal(const uint8_t* image, uint32_t ordinal, uintptr_t* address,
                               const char** forwarder);

// The call itself: 1 when it came back with the carry flag clear, the linear
// address (BX:CX) in *linearAddress.
typedef int (*DpmiMapCall)(uintptr_t vxdCall, uint32_t physicalAddress, uint32_t length,
                           uint32_t* linearAddress);

// Maps a physical range through the kernel32 image at `kernel32`: 1 and
// *linearAddress, or 0 when VxDCall2 is not code there (nothing is called),
// the call reports failure, or it answers with address 0.
int MapThroughVxDCall(const uint8_t* kernel32, DpmiMapCall call, uint32_t physicalAddress, uint32_t length,
                      uint32_t* linearAddress);
