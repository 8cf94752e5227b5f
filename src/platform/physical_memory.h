#pragma once
// Mapping the chip without VELKOR.VXD: VWIN32's DPMI function 0800h
// (physical address mapping), which Windows 95, 98 and ME let an ordinary
// program call through kernel32's VxDCall entry. A mapping cannot be undone;
// it lives until the machine restarts.
#include <stdint.h>

#include "platform/register_window.h"

class PhysicalMemory {
public:
    // Maps `length` bytes at `physicalAddress`: 1 and *linearAddress, or 0
    // when the system has no such call (not the 9x line) or refuses it.
    virtual int Map(uint32_t physicalAddress, uint32_t length, uint32_t* linearAddress) = 0;
    // The chip's registers through the pieces mapped; offsets outside them
    // read as all ones and are not written.
    virtual RegisterWindow* WindowOver(const RegisterRange* ranges, int count) = 0;

protected:
    ~PhysicalMemory() = default;
};
