#pragma once
// Time: the pause inside a PLL write and the tick count that seeds the boot record.
#include <stdint.h>

class Ticks {
public:
    virtual void Sleep(uint32_t milliseconds) = 0;
    virtual uint32_t GetTickCount() = 0;

protected:
    ~Ticks() = default;
};
