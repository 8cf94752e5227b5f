#include "sim/sim_chip.h"

#include <string.h>

// Offsets wrap inside the 16 MiB aperture, as the chip decodes only 24 bits.
static uint32_t InAperture(uint32_t offset)
{
    return offset & (kRegisterWindowBytes - 1);
}

uint32_t SimChip::Peek32(uint32_t offset) const
{
    uint32_t value;
    memcpy(&value, storage_ + (InAperture(offset) & ~3u), 4);
    return value;
}

void SimChip::Poke32(uint32_t offset, uint32_t value)
{
    memcpy(storage_ + (InAperture(offset) & ~3u), &value, 4);
}

uint32_t SimChip::Read32(uint32_t offset)
{
    uint32_t value = Peek32(offset);
    if (trace_)
        trace_->Add(SimEvent::RegisterRead32, offset, value);
    return value;
}

void SimChip::Write32(uint32_t offset, uint32_t value)
{
    Poke32(offset, value);
    if (trace_)
        trace_->Add(SimEvent::RegisterWrite32, offset, value);
}

uint8_t SimChip::Read8(uint32_t offset)
{
    uint8_t value = storage_[InAperture(offset)];
    if (trace_)
        trace_->Add(SimEvent::RegisterRead8, offset, value);
    return value;
}

int SimChip::GuardedRead32(uint32_t offset, uint32_t* value)
{
    *value = Read32(offset);
    return 1;
}

void SimChip::SetCrystal14MHz(bool crystal14)
{
    uint32_t strap = Peek32(kStrapOffset);
    Poke32(kStrapOffset, crystal14 ? (strap | 0x40u) : (strap & ~0x40u));
}

void SimChip::SetDdr(bool ddr)
{
    uint8_t* config = storage_ + kMemConfigOffset;
    *config = ddr ? (*config | 1u) : (*config & ~1u);
}
