// memtest-bench: the video memory test engine's speed over plain memory,
// beside memcpy's over the same buffer in the same run. The engine's rate is
// bytes verified per second: each of them was written once and read back at
// least once, as memcpy reads and writes each byte it copies once.
//
//   memtest-bench [MIB] [ROUNDS]      (default 64 MiB, best of 5 rounds)
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#include <chrono>
#include <vector>

#include "clock_test/engine.h"
#include "plain_video_blocks.h"

namespace {

double Seconds(std::chrono::steady_clock::time_point since)
{
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - since).count();
}

// One pass of a pattern over the whole buffer.
double PatternMBs(PlainVideoBlocks* memory, MemTestPattern pattern, uint32_t* errors)
{
    MemTest test;
    MemTestBegin(&test, memory, &pattern, 1, 1);
    const auto start = std::chrono::steady_clock::now();
    while (MemTestContinue(&test, kBenchSliceBytes) == MemTestStatus::Working) {
    }
    *errors += test.totals.errors.count;
    return test.totals.bytesTested / Seconds(start) / 1e6;
}

}  // namespace

int main(int argc, char** argv)
{
    const uint32_t mib = argc > 1 ? static_cast<uint32_t>(atoi(argv[1])) : 64;
    const int rounds = argc > 2 ? atoi(argv[2]) : 5;
    if (mib < 2 || mib > 4096 || rounds < 1) {
        fprintf(stderr, "usage: memtest-bench [MIB 2..4096] [ROUNDS]\n");
        return 2;
    }
    std::vector<uint32_t> words(size_t(mib) << 18, 0x02020202u);
    uint8_t* bytes = reinterpret_cast<uint8_t*>(words.data());
    PlainVideoBlocks memory(words.data(), mib);
    std::vector<uint8_t> target(size_t(mib) << 20, 1);

    double bestCopy = 0;
    double bestAll = 0;
    double bestPattern[kMemTestPatternCount] = {};
    uint32_t errors = 0;
    for (int round = 0; round < rounds; ++round) {
        // Four copies, back and forth, so that one copy's hiccup weighs less.
        const auto start = std::chrono::steady_clock::now();
        for (int copy = 0; copy < 4; ++copy) {
            if (copy & 1)
                memcpy(bytes, target.data(), target.size());
            else
                memcpy(target.data(), bytes, target.size());
        }
        const double copy = 4 * target.size() / Seconds(start) / 1e6;
        bestCopy = copy > bestCopy ? copy : bestCopy;
        if (target[target.size() / 2] != bytes[target.size() / 2])
            return 3;  // keeps the copy from being optimised away

        // The memory clock's run: every CPU pattern once.
        MemTest test;
        MemTestBegin(&test, &memory, kMemoryClockPatterns, kMemoryClockPatternCount, round);
        const auto all = std::chrono::steady_clock::now();
        while (test.totals.passes < kMemoryClockPatternCount) {
            if (MemTestContinue(&test, kBenchSliceBytes) == MemTestStatus::Failed)
                return 3;
        }
        const double allMBs = test.totals.bytesTested / Seconds(all) / 1e6;
        bestAll = allMBs > bestAll ? allMBs : bestAll;
        errors += test.totals.errors.count;
        for (uint32_t p = 0; p < kMemTestPatternCount; ++p) {
            const double mbs = PatternMBs(&memory, static_cast<MemTestPattern>(p), &errors);
            bestPattern[p] = mbs > bestPattern[p] ? mbs : bestPattern[p];
        }
    }
    printf("buffer: %u MiB, best of %d rounds\n", mib, rounds);
    printf("memcpy: %.0f MB/s\n", bestCopy);
    printf("engine, memory clock patterns: %.0f MB/s (%.2f of memcpy)\n", bestAll, bestAll / bestCopy);
    for (uint32_t p = 0; p < kMemTestPatternCount; ++p) {
        printf("  %-32s %6.0f MB/s\n", MemTestPatternName(static_cast<MemTestPattern>(p)), bestPattern[p]);
    }
    if (errors) {
        printf("errors on plain memory: %u\n", errors);
        return 1;
    }
    return bestAll * 2 >= bestCopy ? 0 : 4;
}
