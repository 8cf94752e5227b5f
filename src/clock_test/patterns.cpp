#include "clock_test/patterns.h"

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

// Fills the rest of out[0, count) by repeating its first `period` words:
// what is there is copied after itself, doubling each time, so that the
// copies are few and long.
void RepeatPeriod(uint32_t* out, uint32_t count, uint32_t period)
{
    for (uint32_t done = period; done < count; done *= 2) {
        const uint32_t n = count - done < done ? count - done : done;
        const uint32_t* __restrict from = out;
        uint32_t* __restrict to = out + done;
        for (uint32_t i = 0; i < n; ++i)
            to[i] = from[i];
    }
}

// Random data: every bit switches against its neighbours half the time, in
// every combination, which is where a marginal clock fails first. Made in
// groups of 256 words, each by eight xorshift generators side by side (word
// i of a group from generator i % 8), seeded from the group's number: any
// word can be made again for the verifying sweep, and the generators use
// only shifts and XORs, which the compiler spreads over vector registers.
const uint32_t kRandomGroup = 256;
const uint32_t kRandomLanes = 8;

void RandomGroup(uint32_t* out, uint32_t group, uint32_t seed)
{
    uint32_t state[kRandomLanes];
    for (uint32_t lane = 0; lane < kRandomLanes; ++lane)
        state[lane] = MixWord(group * kRandomLanes + lane + seed) | 1;  // never the stuck state 0
    for (uint32_t step = 0; step < kRandomGroup; step += kRandomLanes) {
        for (uint32_t lane = 0; lane < kRandomLanes; ++lane) {
            uint32_t x = state[lane];
            x ^= x << 13;
            x ^= x >> 17;
            x ^= x << 5;
            state[lane] = x;
            out[step + lane] = x;
        }
    }
}

void RandomWords(uint32_t* out, uint32_t count, uint32_t first, uint32_t seed)
{
    uint32_t partial[kRandomGroup];
    while (count > 0) {
        const uint32_t group = first / kRandomGroup;
        const uint32_t skip = first % kRandomGroup;
        const uint32_t take = kRandomGroup - skip < count ? kRandomGroup - skip : count;
        if (take == kRandomGroup) {
            RandomGroup(out, group, seed);
        } else {
            RandomGroup(partial, group, seed);
            for (uint32_t i = 0; i < take; ++i)
                out[i] = partial[skip + i];
        }
        out += take;
        first += take;
        count -= take;
    }
}

// One random word at every 20th place, its complement everywhere between.
void Modulo20Words(uint32_t* out, uint32_t count, uint32_t first, uint32_t seed)
{
    const uint32_t chosen = seed % 20;
    const uint32_t value = MixWord(seed ^ 0x5A5A5A5Au);
    uint32_t phase = first % 20;
    const uint32_t head = count < 20 ? count : 20;
    for (uint32_t i = 0; i < head; ++i) {
        out[i] = phase == chosen ? value : ~value;
        if (++phase == 20)
            phase = 0;
    }
    RepeatPeriod(out, count, 20);
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
// moving up by one from each 64-bit word to the next: 128 words, then again.
struct WalkingOnesTable {
    uint32_t words[128];
    constexpr WalkingOnesTable() : words()
    {
        for (uint32_t index = 0; index < 128; ++index) {
            const uint32_t bit = index >> 1;
            words[index] = (index & 1) == (bit >> 5) ? 1u << (bit & 31) : 0;
        }
    }
};
constexpr WalkingOnesTable kWalkingOnes;

void WalkingOnes64Words(uint32_t* out, uint32_t count, uint32_t first, uint32_t)
{
    const uint32_t head = count < 128 ? count : 128;
    for (uint32_t i = 0; i < head; ++i)
        out[i] = kWalkingOnes.words[(first + i) & 127];
    RepeatPeriod(out, count, 128);
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
