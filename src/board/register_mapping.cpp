#include "board/register_mapping.h"

#include "board/chip_registers.h"

const RegisterRange kMappedRanges[kMappedRangeCount] = {
    {kChipIdRegister, 0x1000, 0},
    {kMemConfigRegister & ~0xFFFu, 0x2000, 0},  // 0x100200 and 0x101000
    {kGfxPllRegister & ~0xFFFu, 0x1000, 0},     // 0x680500 and 0x680504
};

static_assert((kStrapRegister & ~0xFFFu) == (kMemConfigRegister & ~0xFFFu) + 0x1000,
              "the strap register lies in the page after the memory configuration");
static_assert((kMemPllRegister & ~0xFFFu) == (kGfxPllRegister & ~0xFFFu), "both PLL words share a page");

RegisterWindow* MapRegistersWithoutDriver(PhysicalMemory* memory, uint32_t registerPhysical)
{
    // Bits 0-3 of the base address are flags; with nothing left the board
    // has no aperture assigned.
    const uint32_t base = registerPhysical & ~0xFu;
    if (!memory || base == 0)
        return nullptr;
    if (gApp.mappedPhysical != base) {
        for (int i = 0; i < kMappedRangeCount; ++i) {
            RegisterRange range = kMappedRanges[i];
            if (!memory->Map(base + range.offset, range.length, &range.linearAddress))
                return nullptr;
            gApp.mappedRanges[i] = range;
        }
        gApp.mappedPhysical = base;
    }
    return memory->WindowOver(gApp.mappedRanges, kMappedRangeCount);
}

int ChipAnswers(RegisterWindow* registers)
{
    uint32_t id = 0;
    if (!registers || !registers->GuardedRead32(kChipIdRegister, &id))
        return 0;
    return id != 0 && id != 0xFFFFFFFFu;
}
