#pragma once
// The video memory test, in the manner of memory testers: one small function
// per pattern, all listed in one table (patterns.cpp). A pass is a few
// sweeps over all the memory, each writing, verifying, or verifying and
// inverting word by word, up or down. Portable: video memory is reached only
// through VideoBlocks, and the caller slices the work (MemTestContinue) so
// that windows stay alive.
#include <stdint.h>

#include "clock_test/memtest_pattern.h"
#include "platform/video_blocks.h"

struct MemTestErrors {
    uint32_t count;        // words read back wrong (stops counting at 0xFFFFFFFF)
    uint32_t firstBlock;   // where the first one was
    uint32_t firstOffset;  // byte offset in that block
    uint32_t failingBits;  // every bit that was ever read back wrong
};

struct MemTestTotals {
    uint64_t bytesTested;  // bytes verified
    uint32_t passes;       // passes completed (one pattern over all memory)
    MemTestErrors errors;
};

enum class MemTestStatus : uint32_t {
    Working,   // more of this pass to do
    PassDone,  // a pass has just been completed; the next one starts on the next call
    Failed,    // the memory seam refused; nothing more can be done
};

const uint32_t kMemTestMaxPatterns = 16;

struct MemTest {
    VideoBlocks* memory = nullptr;
    MemTestPattern patterns[kMemTestMaxPatterns] = {};
    uint32_t patternCount = 0;
    uint32_t seed = 0;
    MemTestTotals totals = {};
    // Where the current pass stands: which pattern, which sweep of it, which
    // block and row. Kept by the engine.
    uint32_t patternIndex = 0;
    uint32_t sweep = 0;
    uint32_t block = 0;
    uint32_t row = 0;
    uint32_t passSeed = 0;
    uint32_t table[kMemTestTableWords] = {};  // the pass's expected words, made at its start
};

// Starts a run that cycles through `patterns` (one pass each, in turn) on the
// blocks `memory` has open; totals start at zero.
void MemTestBegin(MemTest* test, VideoBlocks* memory, const MemTestPattern* patterns, uint32_t count,
                  uint32_t seed);

// Does about `bytes` more of the work (at least one row, or one block copy),
// then returns. A lost surface is restored and the pass begins again; it
// never counts as an error. Failed also when the pattern cannot run on the
// open blocks (copies with fewer than two blocks of one size).
MemTestStatus MemTestContinue(MemTest* test, uint32_t bytes);

// Bytes verified per second in MB (10^6 bytes), rounded down; 0 before the
// first millisecond.
uint32_t MemTestMBPerSecond(uint64_t bytes, uint32_t milliseconds);
