#include <gtest/gtest.h>

#include <random>
#include <vector>

#include "board/chip_registers.h"
#include "clock_test/engine.h"
#include "sim_fixture.h"

namespace {

class SimVideoBlocksTest : public SimPcTest {
protected:
    SimVideoBlocksTest() { AttachVideoMemory(); }

    uint32_t Open(const char* config)
    {
        Configure(config);
        char why[80];
        return pc->videoBlocks.Open(why, sizeof(why));
    }

    // Passes of one pattern over every block.
    MemTestTotals Run(MemTestPattern pattern, uint32_t passes)
    {
        MemTest test;
        MemTestBegin(&test, &pc->videoBlocks, &pattern, 1, 5);
        while (test.totals.passes < passes) {
            if (MemTestContinue(&test, 1 << 20) == MemTestStatus::Failed)
                break;
        }
        return test.totals;
    }

    // Writes random words (or one constant word) into a block and counts
    // the words that came back wrong.
    uint32_t WriteBlock(uint32_t block, bool random)
    {
        VideoBlockView view;
        EXPECT_EQ(VideoBlocksResult::Ok, pc->videoBlocks.Lock(block, &view));
        std::vector<uint32_t> wrote(view.rows * view.pitchWords, 0x00C3C3C3u);
        std::mt19937 next(block);
        for (size_t i = 0; i < wrote.size(); ++i)
            view.base[i] = wrote[i] = random ? next() : wrote[i];
        pc->videoBlocks.Unlock(block);
        uint32_t bad = 0;
        for (size_t i = 0; i < wrote.size(); ++i)
            bad += ((view.base[i] ^ wrote[i]) & view.bitMask) != 0;
        return bad;
    }
};

// The size where each family keeps it, and blocks only between the visible
// screen (3 MiB) and the top 1 MiB.
TEST_F(SimVideoBlocksTest, SizeFromTheChipBlocksOffTheScreenAndTheTop)
{
    struct Case {
        const char* config;
        BoardKind kind;
        uint32_t mib;
        uint32_t blocks;
    };
    const Case cases[] = {
        {"", BoardKind::TNT2, 16, 12},
        {"board=Vanta vram=8", BoardKind::Vanta, 8, 4},
        {"board=TNT vram=4", BoardKind::TNT, 4, 0},
        {"board=UltraTNT2 vram=32", BoardKind::UltraTNT2, 32, 28},
        {"board=Gravenor", BoardKind::Gravenor, 32, 28},
        {"board=GravenorPro vram=16", BoardKind::GravenorPro, 16, 12},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.config);
        EXPECT_EQ(c.blocks, Open(c.config));
        EXPECT_EQ(c.mib, ReadVideoMemoryMiB(c.kind, &pc->chip));
        for (uint32_t block = 0; block < c.blocks; ++block) {
            VideoBlockView view;
            ASSERT_EQ(VideoBlocksResult::Ok, pc->videoBlocks.Lock(block, &view));
            const size_t first = (view.base - videoStorage.data()) * 4;
            const size_t end = first + size_t(view.rows) * view.pitchWords * 4;
            EXPECT_GE(first, 3u << 20);
            EXPECT_LE(end, size_t(c.mib - 1) << 20);
            pc->videoBlocks.Unlock(block);
        }
    }
    pc->chip.Poke32(0x100000, 0x103);  // a part that shares system memory
    EXPECT_EQ(0u, ReadVideoMemoryMiB(BoardKind::TNT2, &pc->chip));
    EXPECT_EQ(0u, pc->chip.VideoMemoryMiB(SimChipFamily::RivaTnt2));
    pc->chip.Poke32(0x10020C, 64u << 20 | 0xFFFFF);
    EXPECT_EQ(64u, ReadVideoMemoryMiB(BoardKind::Gravenor, &pc->chip));
    EXPECT_EQ(64u, pc->chip.VideoMemoryMiB(SimChipFamily::GeForce256));
}

// The TNT2's memory runs at 149.8 MHz: errors rise steeply above memok=, far
// more on switching bits than on constant data, and repeat for the same seed.
TEST_F(SimVideoBlocksTest, MemoryErrsAboveItsCleanClockMostlyWhereBitsSwitch)
{
    MemTestTotals runs[2];
    for (MemTestTotals& run : runs) {
        AttachVideoMemory();  // a fresh run: the memory starts cleared
        Open("memok=147 seed=3");
        run = Run(MemTestPattern::RandomAndComplement, 2);
    }
    EXPECT_GT(runs[0].errors.count, 0u);
    EXPECT_EQ(runs[0].errors.count, runs[1].errors.count);
    EXPECT_EQ(runs[0].errors.firstOffset, runs[1].errors.firstOffset);
    EXPECT_EQ(runs[0].errors.failingBits, runs[1].errors.failingBits);

    Open("memok=147");  // 2.8 MHz above: every MiB written errs
    uint32_t random = 0, constant = 0;
    for (uint32_t block = 0; block < 12; ++block) {
        const uint32_t bad = WriteBlock(block, true);
        EXPECT_GT(bad, 0u) << block;
        random += bad;
        constant += WriteBlock(block, false);
    }
    EXPECT_GT(random, 20 * constant);

    struct Case {
        const char* config;
        MemTestPattern pattern;
        bool errs;
    };
    const Case cases[] = {
        {"memok=150", MemTestPattern::RandomAndComplement, false},
        {"memok=146 gfxok=200", MemTestPattern::ChipCopy, true},     // the copy's memory
        {"memok=200 gfx2dok=122", MemTestPattern::ChipCopy, true},   // the chip's own engine
        {"memok=200 gfx2dok=122", MemTestPattern::OwnAddress, false},  // the CPU alone
        {"memok=200 gfx2dok=126", MemTestPattern::ChipCopy, false},
        {"memok=200 gfxok=119", MemTestPattern::ChipCopy, false},    // the 3D limit; copies hold to 127
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.config);
        Open(c.config);
        EXPECT_EQ(c.errs, Run(c.pattern, 3).errors.count > 0);
    }
}

TEST_F(SimVideoBlocksTest, AHangStopsTheMachineALostBlockIsNoError)
{
    int hangs = 0;
    pc->videoBlocks.SetHangHook([](void* count) { ++*static_cast<int*>(count); }, &hangs);
    Open("memok=140 memhang=149");
    VideoBlockView view;
    EXPECT_EQ(VideoBlocksResult::Failed, pc->videoBlocks.Lock(0, &view));
    EXPECT_EQ(VideoBlocksResult::Failed, pc->videoBlocks.Copy(0, 1));
    EXPECT_EQ(1, hangs);
    EXPECT_TRUE(pc->videoBlocks.Hung());

    // On a GeForce every clock write resets the display mode: the blocks go.
    Open("board=Gravenor");
    MemTest test;
    MemTestBegin(&test, &pc->videoBlocks, kMemoryClockPatterns, 2, 1);
    EXPECT_EQ(MemTestStatus::Working, MemTestContinue(&test, 8 << 20));
    pc->chip.Poke32(kMemPllOffset, pc->chip.Peek32(kMemPllOffset) + 0x100);  // N + 1
    while (test.totals.passes < 2)
        ASSERT_NE(MemTestStatus::Failed, MemTestContinue(&test, 8 << 20));
    EXPECT_EQ(0u, test.totals.errors.count);
    EXPECT_EQ(1, hangs);
}

}  // namespace
