#include "sim/sim_chip.h"

#include <string.h>

namespace {

const uint32_t kStrapCrystal14 = 0x40;
const uint8_t kMemConfigDdr = 0x01;
const uint32_t kTntSharedMemory = 0x100;

}  // namespace

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
    Poke32(kStrapOffset, crystal14 ? (strap | kStrapCrystal14) : (strap & ~kStrapCrystal14));
}

void SimChip::SetDdr(bool ddr)
{
    uint8_t* config = storage_ + kMemConfigOffset;
    *config = ddr ? (*config | kMemConfigDdr) : (*config & ~kMemConfigDdr);
}

void SimChip::SetVideoMemoryMiB(SimChipFamily family, uint32_t mib)
{
    if (family == SimChipFamily::GeForce256) {
        Poke32(kGeForceMemorySizeOffset, mib << 20);
    } else {
        const uint32_t code = mib == 32 ? 0 : mib == 4 ? 1 : mib == 8 ? 2 : 3;
        Poke32(kTntMemorySizeOffset, code);
    }
}

double SimChip::PllMHz(uint32_t offset) const
{
    const uint32_t word = Peek32(offset);
    const uint32_t m = word & 0xFF, n = (word >> 8) & 0xFF, p = (word >> 16) & 7;
    if (m == 0)
        return 0.0;
    const double crystal = (Peek32(kStrapOffset) & kStrapCrystal14) ? 14.31818 : 13.5;
    // Product and quotient in doubles over an integer divisor, as the
    // utility's readout forms them, so both agree to the last bit.
    return (crystal * n) / (m << p);
}

double SimChip::GraphicsMHz() const
{
    return PllMHz(kGfxPllOffset);
}

double SimChip::MemoryMHz(SimChipFamily family) const
{
    const double mhz = PllMHz(kMemPllOffset);
    const bool ddr = family == SimChipFamily::GeForce256 && (storage_[kMemConfigOffset] & kMemConfigDdr);
    return ddr ? mhz * 0.5 : mhz;
}

uint32_t SimChip::VideoMemoryMiB(SimChipFamily family) const
{
    if (family == SimChipFamily::GeForce256)
        return Peek32(kGeForceMemorySizeOffset) >> 20;
    static const uint32_t kSizes[4] = {32, 4, 8, 16};
    const uint32_t config = Peek32(kTntMemorySizeOffset);
    return (config & kTntSharedMemory) ? 0 : kSizes[config & 3];
}
