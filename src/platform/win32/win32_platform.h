#pragma once
// The Win32 implementations of the platform seams, as Velkor.exe uses them.
// velkor-sim.exe uses these too, except for the ports and the kernel driver.
#include "app_state.h"

class Win32Ticks final : public Ticks {
public:
    void Sleep(uint32_t milliseconds) override;
    uint32_t GetTickCount() override;
};
