#pragma once
// The NVIDIA chip's register file as the simulated PC holds it: 16 MiB of
// plain memory (owned by whoever made the chip: a heap block in tests, the
// shared file mapping in velkor-sim.exe), with every access traced.
//
// The chip's own reading of its registers (its clocks, its memory size) is
// decoded here from the offsets and bits below, never through the utility's
// code: the simulated PC is what that code is checked against.
#include <stdint.h>

#include "platform/register_window.h"
#include "sim/sim_boards.h"
#include "sim/sim_trace.h"

const uint32_t kChipIdOffset = 0x000000;
const uint32_t kGfxPllOffset = 0x680500;
const uint32_t kMemPllOffset = 0x680504;
const uint32_t kStrapOffset = 0x101000;              // bit 6: 14.31818 MHz crystal, else 13.5
const uint32_t kMemConfigOffset = 0x100200;          // byte, bit 0: DDR memory on a GeForce 256
const uint32_t kTntMemorySizeOffset = 0x100000;      // bits 1:0: 0 = 32, 1 = 4, 2 = 8, 3 = 16 MiB; bit 8 shared
const uint32_t kGeForceMemorySizeOffset = 0x10020C;  // bits 31:20: MiB

class SimChip final : public RegisterWindow {
public:
    SimChip(uint8_t* storage, SimTrace* trace) : storage_(storage), trace_(trace) {}

    uint32_t Read32(uint32_t offset) override;
    void Write32(uint32_t offset, uint32_t value) override;
    uint8_t Read8(uint32_t offset) override;
    int GuardedRead32(uint32_t offset, uint32_t* value) override;  // never faults

    // Set-up and inspection without tracing.
    uint32_t Peek32(uint32_t offset) const;
    void Poke32(uint32_t offset, uint32_t value);
    void SetCrystal14MHz(bool crystal14);  // strap bit 6: 14.31818 MHz when set, else 13.5
    void SetDdr(bool ddr);                 // bit 0 of the memory configuration byte
    // The memory size where the family keeps it: a size code on the TNT
    // family (4, 8, 16 or 32 MiB), MiB in the GeForce 256's own register.
    void SetVideoMemoryMiB(SimChipFamily family, uint32_t mib);

    // What the chip makes of its registers, without tracing. A PLL's output
    // is crystal * N / (M * 2^P) MHz, 0 for M = 0; the memory PLL of DDR
    // memory on a GeForce 256 runs at twice the memory clock.
    double GraphicsMHz() const;
    double MemoryMHz(SimChipFamily family) const;
    // 0 for a TNT family part that shares system memory.
    uint32_t VideoMemoryMiB(SimChipFamily family) const;
    uint8_t* Storage() const { return storage_; }

private:
    double PllMHz(uint32_t offset) const;

    uint8_t* storage_;
    SimTrace* trace_;
};
