// VELKOR.VXD, opened as a device and asked to map the chip's register aperture.
#include <windows.h>

#include "platform/win32/win32_platform.h"

namespace {

const char kDriverDevice[] = "\\\\.\\VELKOR.VXD";
const DWORD kMapControlCode = 2;

// The driver exchanges 32-bit addresses, which is what a pointer is here.
static_assert(sizeof(void*) == sizeof(uint32_t), "Velkor.exe is a 32-bit program");

uint32_t AddressOf(const void* p)
{
    return static_cast<uint32_t>(reinterpret_cast<uintptr_t>(p));
}

HANDLE AsHandle(DriverHandle handle)
{
    return reinterpret_cast<HANDLE>(handle);
}

}  // namespace

DriverHandle Win32KernelDriver::Open()
{
    // On the 9x line this name loads the dynamically loadable driver, and
    // FILE_FLAG_DELETE_ON_CLOSE unloads it again when the handle is closed.
    HANDLE handle = CreateFileA(kDriverDevice, 0, 0, NULL, 0, FILE_FLAG_DELETE_ON_CLOSE, NULL);
    return reinterpret_cast<DriverHandle>(handle);
}

uint32_t Win32KernelDriver::Map(DriverHandle handle, const MapRequest* request, uint32_t* linearAddress)
{
    // Both buffers carry addresses rather than data: the driver reads the
    // request through the first and writes the linear address through the
    // second.
    uint32_t requestAddress = AddressOf(request);
    uint32_t resultAddress = AddressOf(linearAddress);
    DWORD bytesReturned = 0;
    // The call's own result is not consulted: the byte count alone tells success.
    DeviceIoControl(AsHandle(handle), kMapControlCode, &requestAddress, sizeof(requestAddress), &resultAddress,
                    sizeof(resultAddress), &bytesReturned, NULL);
    return bytesReturned;
}

RegisterWindow* Win32KernelDriver::WindowAt(uint32_t linearAddress)
{
    // A driver that claims success without an address has mapped nothing we
    // could touch.
    if (linearAddress == 0)
        return nullptr;
    RegisterRange whole = {0, kRegisterWindowBytes, linearAddress};
    window_.SetRanges(&whole, 1);
    return &window_;
}

void Win32KernelDriver::Close(DriverHandle handle)
{
    CloseHandle(AsHandle(handle));
}
