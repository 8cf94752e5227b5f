// Runs every pattern of the clock test once on the DirectDraw video memory
// Velkor.exe uses, and prints what it found: blocks granted, then one line
// per pattern with the bytes verified, the errors and the speed.
#include <stdio.h>

#include "clock_test/engine.h"
#include "platform/win32/win32_platform.h"

int main()
{
    setvbuf(stdout, NULL, _IONBF, 0);
    Win32VideoBlocks memory;
    char why[128];
    const uint32_t blocks = memory.Open(why, sizeof(why));
    printf("blocks=%lu\nwhy=%s\n", static_cast<unsigned long>(blocks), why);
    if (blocks == 0)
        return 2;
    VideoBlockView view;
    if (memory.Lock(0, &view) == VideoBlocksResult::Ok) {
        printf("block=%lu words x %lu rows, pitch %lu, mask %08lX\n", static_cast<unsigned long>(view.rowWords),
               static_cast<unsigned long>(view.rows), static_cast<unsigned long>(view.pitchWords),
               static_cast<unsigned long>(view.bitMask));
        memory.Unlock(0);
    }
    MemTestPattern all[kMemTestPatternCount];
    for (uint32_t i = 0; i < kMemTestPatternCount; ++i)
        all[i] = static_cast<MemTestPattern>(i);
    MemTest test;
    MemTestBegin(&test, &memory, all, kMemTestPatternCount, GetTickCount());
    int bad = 0;
    for (uint32_t i = 0; i < kMemTestPatternCount; ++i) {
        const MemTestTotals before = test.totals;
        const DWORD start = GetTickCount();
        MemTestStatus status;
        while ((status = MemTestContinue(&test, 1 << 20)) == MemTestStatus::Working) {
        }
        const DWORD ms = GetTickCount() - start;
        const uint64_t bytes = test.totals.bytesTested - before.bytesTested;
        const uint32_t errors = test.totals.errors.count - before.errors.count;
        printf("pattern=%s|%s|bytes=%lu|errors=%lu|ms=%lu|MB/s=%lu\n", MemTestPatternName(all[i]),
               status == MemTestStatus::PassDone ? "done" : "failed", static_cast<unsigned long>(bytes),
               static_cast<unsigned long>(errors), static_cast<unsigned long>(ms),
               static_cast<unsigned long>(MemTestMBPerSecond(bytes, ms)));
        bad += status != MemTestStatus::PassDone || errors != 0 || bytes == 0;
    }
    memory.Close();
    return bad ? 1 : 0;
}
