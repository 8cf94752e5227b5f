#pragma once
// The patterns of the video memory test as its callers name them: which
// exist, the two sets the clock test runs and their names. Shared by the
// engine (engine.h) and the patterns' own plans (patterns.h), which include
// this and not each other.
#include <stdint.h>

enum class MemTestPattern : uint32_t {
    OwnAddress,           // each word holds its own address: address-line faults
    RandomAndComplement,  // random data, its complement, the data again
    Modulo20,             // random data at every 20th word, its complement between
    MovingInversions,     // up-sweep and down-sweep, each verifying then inverting
    Checkerboard32,       // alternating 0x55555555 / 0xAAAAAAAA per 32 bits
    Checkerboard128,      // alternating per 128 bits
    WalkingOnes64,        // one bit set per 64-bit word, walking across the word
    ChipCopy,             // the CPU fills, the chip copies, the CPU compares (needs two blocks)
    MarchCMinus,          // March C-: every word read and inverted up and down the memory, twice each way
};
const uint32_t kMemTestPatternCount = 9;

// What the memory clock is tested with (every CPU pattern in turn) and what
// the graphics core clock is tested with (the chip's own copies).
extern const MemTestPattern kMemoryClockPatterns[];
extern const uint32_t kMemoryClockPatternCount;
extern const MemTestPattern kCoreClockPatterns[];
extern const uint32_t kCoreClockPatternCount;

// A pass's expected words: one chunk of them, which each chunk of the memory
// takes XORed with a key of its own (patterns.h).
const uint32_t kMemTestTableWords = 1280;

// The pattern's name for the status line ("moving inversions").
const char* MemTestPatternName(MemTestPattern pattern);
