// memtest-bench-486: the clock test engine as the shipped programs build it
// (for the 486), over plain memory, beside a plain `rep movsd` copy of the
// same buffer in the same process. Run under Wine by
// scripts/bench-memtest.sh --wine; rates in MB/s as memtest-bench gives them.
//
//   memtest-bench-486.exe [MIB] [ROUNDS]      (default 64 MiB, best of 3 rounds)
#include <windows.h>

#include <stdio.h>
#include <stdlib.h>

#include "clock_test/engine.h"
#include "plain_video_blocks.h"

namespace {

double Now()
{
    LARGE_INTEGER count, frequency;
    QueryPerformanceCounter(&count);
    QueryPerformanceFrequency(&frequency);
    return static_cast<double>(count.QuadPart) / static_cast<double>(frequency.QuadPart);
}

void CopyDwords(void* to, const void* from, uint32_t count)
{
    asm volatile("cld\n\trep movsl" : "+D"(to), "+S"(from), "+c"(count) : : "memory");
}

}  // namespace

int main(int argc, char** argv)
{
    const uint32_t mib = argc > 1 ? static_cast<uint32_t>(atoi(argv[1])) : 64;
    const int rounds = argc > 2 ? atoi(argv[2]) : 3;
    if (mib < 2 || mib > 512 || rounds < 1) {
        fprintf(stderr, "usage: memtest-bench-486 [MIB 2..512] [ROUNDS]\n");
        return 2;
    }
    const SIZE_T bytes = static_cast<SIZE_T>(mib) << 20;
    uint32_t* words = static_cast<uint32_t*>(VirtualAlloc(NULL, bytes, MEM_COMMIT, PAGE_READWRITE));
    uint32_t* target = static_cast<uint32_t*>(VirtualAlloc(NULL, bytes, MEM_COMMIT, PAGE_READWRITE));
    if (!words || !target)
        return 3;
    // Every page touched before the clock runs: the first touch of a
    // committed page costs far more than a copy of it.
    for (SIZE_T i = 0; i < bytes / 4; ++i)
        words[i] = target[i] = 0x02020202u;
    PlainVideoBlocks memory(words, mib);

    double bestCopy = 0, bestAll = 0;
    double bestPattern[kMemTestPatternCount] = {};
    uint32_t errors = 0;
    for (int round = 0; round < rounds; ++round) {
        const double start = Now();
        for (int copy = 0; copy < 4; ++copy) {
            if (copy & 1)
                CopyDwords(words, target, bytes / 4);
            else
                CopyDwords(target, words, bytes / 4);
        }
        const double copy = 4 * static_cast<double>(bytes) / (Now() - start) / 1e6;
        bestCopy = copy > bestCopy ? copy : bestCopy;

        // The memory clock's run, every pattern once, each pass timed.
        MemTest test;
        MemTestBegin(&test, &memory, kMemoryClockPatterns, kMemoryClockPatternCount, round);
        const double all = Now();
        double passStart = all;
        uint64_t passBytes = 0;
        while (test.totals.passes < kMemoryClockPatternCount) {
            const MemTestPattern pattern = test.patterns[test.patternIndex];
            const MemTestStatus status = MemTestContinue(&test, kBenchSliceBytes);
            if (status == MemTestStatus::Failed)
                return 3;
            if (status == MemTestStatus::PassDone) {
                const double now = Now();
                const double mbs = static_cast<double>(test.totals.bytesTested - passBytes) / (now - passStart) / 1e6;
                double& best = bestPattern[static_cast<uint32_t>(pattern)];
                best = mbs > best ? mbs : best;
                passStart = now;
                passBytes = test.totals.bytesTested;
            }
        }
        const double allMBs = static_cast<double>(test.totals.bytesTested) / (Now() - all) / 1e6;
        bestAll = allMBs > bestAll ? allMBs : bestAll;
        errors += test.totals.errors.count;
    }
    printf("buffer: %u MiB, best of %d rounds\n", static_cast<unsigned>(mib), rounds);
    printf("rep movsd: %.0f MB/s\n", bestCopy);
    printf("engine, memory clock patterns: %.0f MB/s (%.2f of rep movsd)\n", bestAll, bestAll / bestCopy);
    for (uint32_t i = 0; i < kMemoryClockPatternCount; ++i) {
        const MemTestPattern pattern = kMemoryClockPatterns[i];
        printf("  %-32s %6.0f MB/s\n", MemTestPatternName(pattern), bestPattern[static_cast<uint32_t>(pattern)]);
    }
    if (errors) {
        printf("errors on plain memory: %u\n", static_cast<unsigned>(errors));
        return 1;
    }
    return 0;
}
