#pragma once
// x86 port I/O, the only way Velkor reaches PCI configuration space.
// The Win32 implementation executes in/out directly (allowed on the 9x line);
// where the platform refuses them it must answer reads with all ones (an
// empty bus) instead of faulting, so the probe simply finds no device.
#include <stdint.h>

class PortIo {
public:
    virtual uint32_t InDword(uint16_t port) = 0;
    virtual uint8_t InByte(uint16_t port) = 0;
    virtual void OutDword(uint16_t port, uint32_t value) = 0;
    virtual void OutByte(uint16_t port, uint8_t value) = 0;

protected:
    ~PortIo() = default;
};
