// A stand-in for VELKOR.VXD, for tests only (never shipped). In Windows 98
// mode Wine opens "\\.\VELKOR.VXD" by loading a module of that name beside
// the program and hands DeviceIoControl to its exported DeviceIoControl.
//
// Control code 2 gets what Velkor's driver code sends: the address of the
// 8-byte map request (physical address, length) and the address of the
// variable that receives the linear address. The stand-in keeps the request,
// answers with a 16 MiB block of its own that holds a TNT2's identification
// register and a PLL word, or with address 0 while the environment variable
// VELKOR_STANDIN_ZERO is set.
#include <windows.h>

#include <stdint.h>

namespace {

const DWORD kMapControlCode = 2;
const uint32_t kApertureBytes = 0x01000000;

uint32_t gRequest[2];
uint8_t* gAperture;

}  // namespace

// Exported as DeviceIoControl (velkor_vxd_standin.def); the device handle is
// not passed to a VxD's entry.
extern "C" BOOL WINAPI StandInDeviceIoControl(DWORD code, void* in, DWORD inSize, void* out, DWORD outSize,
                                              DWORD* returned, OVERLAPPED*)
{
    if (code != kMapControlCode)
        return TRUE;  // the open (0) and close (-1) notifications
    if (!in || inSize < 4 || !out || outSize < 4)
        return FALSE;
    const uint32_t* request = *static_cast<uint32_t* const*>(in);
    gRequest[0] = request[0];
    gRequest[1] = request[1];
    if (!gAperture) {
        gAperture =
            static_cast<uint8_t*>(VirtualAlloc(NULL, kApertureBytes, MEM_RESERVE | MEM_COMMIT, PAGE_READWRITE));
        if (!gAperture)
            return FALSE;
        const uint32_t identification = 0x20114000u;  // TNT2
        const uint32_t pllWord = 0x0001E30Du;         // 125 MHz
        CopyMemory(gAperture, &identification, 4);
        CopyMemory(gAperture + 0x680500, &pllWord, 4);
    }
    char zero[4];
    uint32_t linear = static_cast<uint32_t>(reinterpret_cast<uintptr_t>(gAperture));
    if (GetEnvironmentVariableA("VELKOR_STANDIN_ZERO", zero, sizeof(zero)))
        linear = 0;
    **static_cast<uint32_t* const*>(out) = linear;
    if (returned)
        *returned = 4;
    return TRUE;
}

// For the test program: the last request and the block's address.
extern "C" void WINAPI StandInLastRequest(uint32_t* physicalAddress, uint32_t* length, uint32_t* aperture)
{
    *physicalAddress = gRequest[0];
    *length = gRequest[1];
    *aperture = static_cast<uint32_t>(reinterpret_cast<uintptr_t>(gAperture));
}
