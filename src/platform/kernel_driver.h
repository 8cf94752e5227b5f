#pragma once
// VELKOR.VXD, the kernel driver that maps the chip's registers for us.
#include <stdint.h>

class RegisterWindow;

typedef uintptr_t DriverHandle;
const DriverHandle kInvalidDriverHandle = static_cast<DriverHandle>(-1);  // INVALID_HANDLE_VALUE

// The record control code 2 receives: 8 bytes, little-endian.
struct MapRequest {
    uint32_t physicalAddress;
    uint32_t length;
};
static_assert(sizeof(MapRequest) == 8, "the driver reads exactly 8 bytes");

class KernelDriver {
public:
    // CreateFileA("\\\\.\\VELKOR.VXD", 0, 0, NULL, 0, FILE_FLAG_DELETE_ON_CLOSE, NULL).
    virtual DriverHandle Open() = 0;
    // DeviceIoControl(handle, 2, &request, 4, &linearAddress, 4, &bytesReturned, NULL).
    // Returns the bytes-returned count, which alone tells success.
    virtual uint32_t Map(DriverHandle handle, const MapRequest* request, uint32_t* linearAddress) = 0;
    // How a linear address the driver handed back becomes addressable here.
    virtual RegisterWindow* WindowAt(uint32_t linearAddress) = 0;
    virtual void Close(DriverHandle handle) = 0;

protected:
    ~KernelDriver() = default;
};
