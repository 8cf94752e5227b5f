#pragma once
// What the simulated board's video memory and 3D render share: the generator
// that places their faults (the same seed gives the same faults), the PLL
// words whose change, on a GeForce 256, loses the driver's surfaces as the
// display reset after every clock write does on the real board, and the way
// they say why they cannot open.
#include <stdint.h>

#include "sim/sim_chip.h"

// xorshift64*, seeded from the set-up's seed and a salt of each user's own.
class SimFaultRandom {
public:
    void Seed(uint32_t seed, uint64_t salt) { state_ = (static_cast<uint64_t>(seed) << 32 | ~seed) ^ salt; }
    uint32_t Next()
    {
        state_ ^= state_ >> 12;
        state_ ^= state_ << 25;
        state_ ^= state_ >> 27;
        return static_cast<uint32_t>((state_ * 0x2545F4914F6CDD1Dull) >> 32);
    }

private:
    uint64_t state_ = 1;
};

// The PLL words as they were when the surfaces were made or restored.
class SimPllWords {
public:
    void Take(const SimChip& chip)
    {
        words_[0] = chip.Peek32(kGfxPllOffset);
        words_[1] = chip.Peek32(kMemPllOffset);
    }
    bool Changed(const SimChip& chip) const
    {
        return chip.Peek32(kGfxPllOffset) != words_[0] || chip.Peek32(kMemPllOffset) != words_[1];
    }

private:
    uint32_t words_[2] = {};
};

// `text` into why[0, size), cut to fit; nothing when there is no buffer.
inline void SimSayWhy(char* why, uint32_t size, const char* text)
{
    if (!why || size == 0)
        return;
    uint32_t i = 0;
    for (; i + 1 < size && text[i]; ++i)
        why[i] = text[i];
    why[i] = '\0';
}
