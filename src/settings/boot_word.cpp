#include "settings/boot_word.h"

// Seed bits 0-14, scrambled, moved up one place: bit 0 is always 0.
static uint32_t LowKey(uint32_t seed)
{
    return ((seed ^ kBootWordLowMask) << 1) & 0xFFFF;
}

// Seed bits 1-16 moved down one place.
static uint32_t HighKey(uint32_t seed)
{
    return (seed >> 1) & 0xFFFF;
}

uint32_t ScrambleBootClocks(uint32_t gfxMHz, uint32_t memMHz, uint16_t deviceId, uint32_t seed)
{
    uint32_t low = (gfxMHz ^ deviceId ^ LowKey(seed)) & 0xFFFF;
    uint32_t high = (memMHz ^ deviceId ^ HighKey(seed) ^ kBootWordHighMask) & 0xFFFF;
    return high << 16 | low;
}

void UnscrambleBootClocks(uint32_t word, uint16_t deviceId, uint32_t seed, uint32_t* gfxMHz,
                          uint32_t* memMHz)
{
    // XOR undoes itself: the same keys applied to the halves give the clocks back.
    *gfxMHz = ((word & 0xFFFF) ^ deviceId ^ LowKey(seed)) & 0xFFFF;
    *memMHz = ((word >> 16) ^ deviceId ^ HighKey(seed) ^ kBootWordHighMask) & 0xFFFF;
}
