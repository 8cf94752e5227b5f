#pragma once
// The patterns of the video memory test: for each, the words it expects at
// any place of the memory and the sweeps that write, check or copy them.
// Internal to the engine (engine.cpp).
#include <stdint.h>

#include "clock_test/memtest_pattern.h"

// A pattern's words come from a table made once per pass: the word numbered
// n of the whole test memory (blocks laid end to end) is
//     table[n % chunkWords] ^ key(n / chunkWords, seed)
// so that writing or checking a word costs a load from the cache and an XOR,
// however the words are made. seed is the pass's own, so that random data
// differs from pass to pass.
typedef void (*PatternTable)(uint32_t* table, uint32_t seed);
typedef uint32_t (*PatternKey)(uint32_t chunk, uint32_t seed);

enum class SweepKind : uint8_t {
    Write,            // store the expected words
    Verify,           // compare with the expected words
    VerifyThenWrite,  // compare each word, then store its complement at once
    Copy,             // the chip copies each source block into its partner
};

// Which blocks a sweep visits. The copy pattern pairs block 2k (source) with
// block 2k + 1 (target) when both have the same size; an unpaired block sits out.
enum class SweepBlocks : uint8_t { All, CopySources, CopyTargets };

struct Sweep {
    SweepKind kind;
    bool inverted;    // the complement of the pattern's words is expected (or written)
    bool descending;  // from the last word of the memory down to the first
    SweepBlocks blocks;
};

struct PatternPlan {
    MemTestPattern pattern;
    const char* name;
    PatternTable table;
    PatternKey key;
    uint32_t chunkWords;  // at most kMemTestTableWords (engine.h)
    uint32_t sweepCount;
    const Sweep* sweeps;  // in the order they run
};

// The plan of a pattern; null for a value outside the enumeration.
const PatternPlan* FindPatternPlan(MemTestPattern pattern);

// A well-mixed 32-bit function of a 32-bit number: the random data, made
// again at will for the verifying sweeps.
inline uint32_t MixWord(uint32_t x)
{
    x ^= x >> 16;
    x *= 0x7FEB352Du;
    x ^= x >> 15;
    x *= 0x846CA68Bu;
    x ^= x >> 16;
    return x;
}
