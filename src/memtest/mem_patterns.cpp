#include "memtest/mem_patterns.h"

namespace {

// Each word holds its own number: a word written at another place (an
// address line that does not switch) reads back as its neighbour's number.
// The word number rather than the byte address, so that 64 MiB still fits
// the 24 bits an XRGB surface keeps.
void OwnAddressWords(uint32_t* out, uint32_t count, uint32_t first, uint32_t)
{
    for (uint32_t i = 0; i < count; ++i)
        out[i] = first + i;
}

// Random data: every bit switches against its neighbours half the time, in
// every combination, which is where a marginal clock fails first.
void RandomWords(uint32_t* out, uint32_t count, uint32_t first, uint32_t seed)
{
    for (uint32_t i = 0; i < count; ++i)
        out[i] = MixWord(first + i + seed);
}

// One random word at every 20th place, its complement everywhere between.
void Modulo20Words(uint32_t* out, uint32_t count, uint32_t first, uint32_t seed)
{
    const uint32_t chosen = seed % 20;
    const uint32_t value = MixWord(seed ^ 0x5A5A5A5Au);
    uint32_t phase = first % 20;
    for (uint32_t i = 0; i < count; ++i) {
        out[i] = phase == chosen ? value : ~value;
        if (++phase == 20)
            phase = 0;
    }
}

void Checkerboard32Words(uint32_t* out, uint32_t count, uint32_t first, uint32_t)
{
    for (uint32_t i = 0; i < count; ++i)
        out[i] = ((first + i) & 1) ? 0xAAAAAAAAu : 0x55555555u;
}

void Checkerboard128Words(uint32_t* out, uint32_t count, uint32_t first, uint32_t)
{
    for (uint32_t i = 0; i < count; ++i)
        out[i] = (((first + i) >> 2) & 1) ? 0xAAAAAAAAu : 0x55555555u;
}

// One bit set in each 64-bit word (two 32-bit words, low half first), the bit
// moving up by one from each 64-bit word to the next.
void WalkingOnes64Words(uint32_t* out, uint32_t count, uint32_t first, uint32_t)
{
    for (uint32_t i = 0; i < count; ++i) {
        const uint32_t index = first + i;
        const uint32_t bit = (index >> 1) & 63;
        out[i] = (index & 1) == (bit >> 5) ? 1u << (bit & 31) : 0;
    }
}

const SweepKind W = SweepKind::Write;
const SweepKind V = SweepKind::Verify;
const SweepKind VW = SweepKind::VerifyThenWrite;
const SweepBlocks All = SweepBlocks::All;

// Writes of a whole pass come before its reads wherever the pattern allows:
// reads through the bus aperture are slow, and a word read back long after
// it was written shows what the memory kept.
const PatternPlan kPlans[] = {
    {MemTestPattern::OwnAddress, "own address", OwnAddressWords, 2,
     {{W, false, false, All}, {V, false, false, All}}},
    {MemTestPattern::RandomAndComplement, "random data and its complement", RandomWords, 4,
     {{W, false, false, All}, {V, false, false, All}, {W, true, false, All}, {V, true, false, All}}},
    {MemTestPattern::Modulo20, "modulo 20", Modulo20Words, 2, {{W, false, false, All}, {V, false, false, All}}},
    // Up: each word checked and inverted in turn; down: checked and put back.
    {MemTestPattern::MovingInversions, "moving inversions", RandomWords, 3,
     {{W, false, false, All}, {VW, false, false, All}, {VW, true, true, All}}},
    {MemTestPattern::Checkerboard32, "checkerboard per 32 bits", Checkerboard32Words, 4,
     {{W, false, false, All}, {V, false, false, All}, {W, true, false, All}, {V, true, false, All}}},
    {MemTestPattern::Checkerboard128, "checkerboard per 128 bits", Checkerboard128Words, 4,
     {{W, false, false, All}, {V, false, false, All}, {W, true, false, All}, {V, true, false, All}}},
    {MemTestPattern::WalkingOnes64, "walking ones", WalkingOnes64Words, 2,
     {{W, false, false, All}, {V, false, false, All}}},
    {MemTestPattern::ChipCopy, "copies by the chip", RandomWords, 3,
     {{W, false, false, SweepBlocks::CopySources},
      {SweepKind::Copy, false, false, SweepBlocks::CopySources},
      {V, false, false, SweepBlocks::CopyTargets}}},
};

}  // namespace

const PatternPlan* FindPatternPlan(MemTestPattern pattern)
{
    for (const PatternPlan& plan : kPlans) {
        if (plan.pattern == pattern)
            return &plan;
    }
    return nullptr;
}

const MemTestPattern kMemoryClockPatterns[] = {
    MemTestPattern::OwnAddress,     MemTestPattern::RandomAndComplement, MemTestPattern::Modulo20,
    MemTestPattern::MovingInversions, MemTestPattern::Checkerboard32,  MemTestPattern::Checkerboard128,
    MemTestPattern::WalkingOnes64,
};
const uint32_t kMemoryClockPatternCount = sizeof(kMemoryClockPatterns) / sizeof(kMemoryClockPatterns[0]);

const MemTestPattern kCoreClockPatterns[] = {MemTestPattern::ChipCopy};
const uint32_t kCoreClockPatternCount = sizeof(kCoreClockPatterns) / sizeof(kCoreClockPatterns[0]);

const char* MemTestPatternName(MemTestPattern pattern)
{
    const PatternPlan* plan = FindPatternPlan(pattern);
    return plan ? plan->name : "";
}
