#include "clock_test/patterns.h"

namespace {

uint32_t NoKey(uint32_t, uint32_t)
{
    return 0;
}

// Each word holds its own number: a word written at another place (an
// address line that does not switch) reads back as its neighbour's number.
// The word number rather than the byte address, so that 64 MiB still fits
// the 24 bits an XRGB surface keeps. The chunk's first number is the key.
const uint32_t kAddressChunk = 1024;

void OwnAddressTable(uint32_t* table, uint32_t)
{
    for (uint32_t i = 0; i < kAddressChunk; ++i)
        table[i] = i;
}

uint32_t OwnAddressKey(uint32_t chunk, uint32_t)
{
    return chunk * kAddressChunk;
}

// Random data: every bit switches against its neighbours half the time, in
// every combination, which is where a marginal clock fails first. Each chunk
// takes the pass's random words under a random key of its own, so no two
// chunks hold the same words (a word that lands in another chunk shows).
const uint32_t kRandomChunk = 1024;

void RandomTable(uint32_t* table, uint32_t seed)
{
    for (uint32_t i = 0; i < kRandomChunk; ++i)
        table[i] = MixWord(i * 0x9E3779B9u + seed);
}

uint32_t RandomKey(uint32_t chunk, uint32_t seed)
{
    return MixWord(chunk ^ ~seed);
}

// One random word at every 20th place, its complement everywhere between: a
// chunk of 64 periods.
const uint32_t kModulo20Chunk = 20 * 64;

void Modulo20Table(uint32_t* table, uint32_t seed)
{
    const uint32_t chosen = seed % 20;
    const uint32_t value = MixWord(seed ^ 0x5A5A5A5Au);
    for (uint32_t i = 0; i < kModulo20Chunk; ++i)
        table[i] = i % 20 == chosen ? value : ~value;
}

const uint32_t kPeriodicChunk = 1024;
static_assert(kAddressChunk <= kMemTestTableWords && kRandomChunk <= kMemTestTableWords &&
                  kModulo20Chunk <= kMemTestTableWords && kPeriodicChunk <= kMemTestTableWords,
              "a pattern's chunk fits the table the engine keeps");

void Checkerboard32Table(uint32_t* table, uint32_t)
{
    for (uint32_t i = 0; i < kPeriodicChunk; ++i)
        table[i] = (i & 1) ? 0xAAAAAAAAu : 0x55555555u;
}

void Checkerboard128Table(uint32_t* table, uint32_t)
{
    for (uint32_t i = 0; i < kPeriodicChunk; ++i)
        table[i] = ((i >> 2) & 1) ? 0xAAAAAAAAu : 0x55555555u;
}

// One bit set in each 64-bit word (two 32-bit words, low half first), the bit
// moving up by one from each 64-bit word to the next: 128 words, then again.
void WalkingOnes64Table(uint32_t* table, uint32_t)
{
    for (uint32_t i = 0; i < kPeriodicChunk; ++i) {
        const uint32_t bit = (i & 127) >> 1;
        table[i] = (i & 1) == (bit >> 5) ? 1u << (bit & 31) : 0;
    }
}

const SweepKind W = SweepKind::Write;
const SweepKind V = SweepKind::Verify;
const SweepKind VW = SweepKind::VerifyThenWrite;
const SweepBlocks All = SweepBlocks::All;

const Sweep kWriteThenVerify[] = {{W, false, false, All}, {V, false, false, All}};
// The words, their complement, the words again, each verified: every bit's
// change both ways is checked within the pass, so what such a pattern finds
// never depends on what the pattern before it left.
const Sweep kComplementAndBack[] = {{W, false, false, All}, {V, false, false, All}, {W, true, false, All},
                                    {V, true, false, All},  {W, false, false, All}, {V, false, false, All}};
// Up: each word checked and inverted in turn; down: checked and put back;
// then everything read once more, so the putting back is checked too.
const Sweep kMovingInversions[] = {
    {W, false, false, All}, {VW, false, false, All}, {VW, true, true, All}, {V, false, false, All}};
// March C-: every word read and inverted going up, twice, then going down,
// twice. A word that changes when one below or above it is written shows in
// the next read of it, wherever the two lie.
const Sweep kMarchCMinus[] = {{W, false, false, All}, {VW, false, false, All}, {VW, true, false, All},
                              {VW, false, true, All}, {VW, true, true, All},   {V, false, false, All}};
const Sweep kChipCopies[] = {{W, false, false, SweepBlocks::CopySources},
                             {SweepKind::Copy, false, false, SweepBlocks::CopySources},
                             {V, false, false, SweepBlocks::CopyTargets}};

#define SWEEPS(list) sizeof(list) / sizeof(list[0]), list

const PatternPlan kPlans[] = {
    {MemTestPattern::OwnAddress, "own address", OwnAddressTable, OwnAddressKey, kAddressChunk,
     SWEEPS(kWriteThenVerify)},
    {MemTestPattern::RandomAndComplement, "random data and its complement", RandomTable, RandomKey, kRandomChunk,
     SWEEPS(kComplementAndBack)},
    {MemTestPattern::Modulo20, "modulo 20", Modulo20Table, NoKey, kModulo20Chunk, SWEEPS(kWriteThenVerify)},
    {MemTestPattern::MovingInversions, "moving inversions", RandomTable, RandomKey, kRandomChunk,
     SWEEPS(kMovingInversions)},
    {MemTestPattern::Checkerboard32, "checkerboard per 32 bits", Checkerboard32Table, NoKey, kPeriodicChunk,
     SWEEPS(kComplementAndBack)},
    {MemTestPattern::Checkerboard128, "checkerboard per 128 bits", Checkerboard128Table, NoKey, kPeriodicChunk,
     SWEEPS(kComplementAndBack)},
    {MemTestPattern::WalkingOnes64, "walking ones", WalkingOnes64Table, NoKey, kPeriodicChunk,
     SWEEPS(kWriteThenVerify)},
    {MemTestPattern::ChipCopy, "copies by the chip", RandomTable, RandomKey, kRandomChunk, SWEEPS(kChipCopies)},
    {MemTestPattern::MarchCMinus, "March C-", RandomTable, RandomKey, kRandomChunk, SWEEPS(kMarchCMinus)},
};

#undef SWEEPS

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
    MemTestPattern::MovingInversions, MemTestPattern::MarchCMinus,     MemTestPattern::Checkerboard32,
    MemTestPattern::Checkerboard128, MemTestPattern::WalkingOnes64,
};
const uint32_t kMemoryClockPatternCount = sizeof(kMemoryClockPatterns) / sizeof(kMemoryClockPatterns[0]);

const MemTestPattern kCoreClockPatterns[] = {MemTestPattern::ChipCopy};
const uint32_t kCoreClockPatternCount = sizeof(kCoreClockPatterns) / sizeof(kCoreClockPatterns[0]);

const char* MemTestPatternName(MemTestPattern pattern)
{
    const PatternPlan* plan = FindPatternPlan(pattern);
    return plan ? plan->name : "";
}
