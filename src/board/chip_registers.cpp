#include "board/chip_registers.h"

#include <math.h>

bool IsGeForce(BoardKind kind)
{
    return kind == BoardKind::Gravenor || kind == BoardKind::GravenorPro;
}

PllCoefficients SplitPllWord(uint32_t word)
{
    PllCoefficients c;
    c.m = static_cast<int32_t>(word & kPllMMask);
    c.n = static_cast<int32_t>((word & kPllNMask) >> kPllNShift);
    c.p = static_cast<int32_t>((word & kPllPMask) >> kPllPShift);
    return c;
}

double PllWordToMHz(uint32_t word, double crystalMHz)
{
    const PllCoefficients c = SplitPllWord(word);
    // M = 0 never occurs on a running chip; reading it as 0 keeps a later
    // apply (which ignores 33 MHz and less) from programming anything.
    if (c.m == 0)
        return 0.0;
    // The divisor is an integer, the product and quotient are doubles: this
    // order decides the last bit, and with it rounding at exact halves.
    const uint32_t divisor = static_cast<uint32_t>(c.m) << c.p;
    return (crystalMHz * c.n) / divisor;
}

uint32_t ToWholeMHz(double mhz)
{
    if (!(mhz > 0.0))  // also NaN
        return 0;
    if (mhz >= 4294967295.0)
        return 0xFFFFFFFFu;
    const double whole = floor(mhz);
    uint32_t result = static_cast<uint32_t>(whole);
    if (fmod(mhz, 1.0) >= 0.5)
        result += 1;
    return result;
}

double ReadCrystalMHz()
{
    const uint32_t strap = gApp.registers->Read32(kStrapRegister);
    return (strap & kStrapCrystal14MHz) ? kCrystal14MHz : kCrystal13MHz;
}

bool IsDdrMemory()
{
    if (!IsGeForce(gApp.boardKind))
        return false;
    return (gApp.registers->Read8(kMemConfigRegister) & kMemConfigDdr) != 0;
}

double PllWordClockMHz(uint32_t word, uint32_t domain)
{
    double mhz = PllWordToMHz(word, ReadCrystalMHz());
    if (domain == kMemDomain && IsDdrMemory())
        mhz *= 0.5;
    return mhz;
}

uint32_t ReadGfxClock()
{
    const uint32_t word = gApp.registers->Read32(kGfxPllRegister);
    return ToWholeMHz(PllWordClockMHz(word, kGfxDomain));
}

uint32_t ReadMemClock()
{
    const uint32_t word = gApp.registers->Read32(kMemPllRegister);
    return ToWholeMHz(PllWordClockMHz(word, kMemDomain));
}

uint32_t ReadVideoMemoryMiB(BoardKind kind, RegisterWindow* registers)
{
    if (!registers)
        return 0;
    if (IsGeForce(kind))
        return registers->Read32(kGeForceMemorySizeRegister) >> kGeForceMemorySizeShift;
    const uint32_t k = static_cast<uint32_t>(kind);
    if (k < static_cast<uint32_t>(BoardKind::TNT) || k > static_cast<uint32_t>(BoardKind::TNT2Value))
        return 0;
    static const uint32_t kSizes[4] = {32, 4, 8, 16};
    const uint32_t config = registers->Read32(kTntMemoryRegister);
    return (config & kTntSharedMemory) ? 0 : kSizes[config & 3];
}
