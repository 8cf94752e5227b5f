#include <gtest/gtest.h>

#include <vector>

#include "clock_test/engine.h"

namespace {

enum class Fault {
    None,
    StuckCell,     // bit 9 of one word keeps 0
    StuckLine,     // bit 20 keeps 0 in every word: a data line
    Crosstalk,     // bit 12 flips when bits 11 and 13 switch from the word written before and it does not
    AddressLine,   // word address bit 9 does not switch: two words share each cell
    CopyDropsBit,  // the chip's copies lose bit 7
    XByteLost,     // the top byte is not kept, and not in the block's bit mask
    LostOnce,      // the blocks are lost (contents gone) at the third lock
};

const uint32_t kRowWords = 96, kPitch = 128, kRows = 64, kBlockCells = kPitch * kRows;
const uint32_t kStuckRow = 10, kStuckColumn = 20, kGap = 0x6A6A6A6Au;

// Two blocks whose rows are 96 words of 128: the CPU works on a copy made at
// Lock, and at Unlock the words it changed go into the cells through the fault.
class FaultyMemory final : public VideoBlocks {
public:
    explicit FaultyMemory(Fault fault) : fault_(fault), cells_(2 * kBlockCells, kGap), view_(kBlockCells) {}

    uint32_t Open(char*, uint32_t) override { return 2; }
    void Close() override {}
    uint32_t BlockCount() override { return 2; }
    uint32_t BlockBytes(uint32_t) override { return kRowWords * kRows * 4; }
    VideoBlocksResult Lock(uint32_t block, VideoBlockView* view) override
    {
        if (fault_ == Fault::LostOnce && ++locks == 3)
            return VideoBlocksResult::Lost;
        for (uint32_t c = 0; c < kBlockCells; ++c)
            view_[c] = Cell(block, Aliased(c));
        presented_ = view_;
        *view = {view_.data(), kRowWords, kRows, kPitch, fault_ == Fault::XByteLost ? 0x00FFFFFFu : 0xFFFFFFFFu};
        return VideoBlocksResult::Ok;
    }
    void Unlock(uint32_t block) override
    {
        for (uint32_t c = 0; c < kBlockCells; ++c) {
            if (view_[c] == presented_[c])
                continue;
            gapWrites += c % kPitch >= kRowWords;
            Store(block, Aliased(c), view_[c]);
        }
    }
    VideoBlocksResult Copy(uint32_t from, uint32_t to) override
    {
        for (uint32_t c = 0; c < kBlockCells; ++c)
            Cell(to, c) = Cell(from, c) & (fault_ == Fault::CopyDropsBit ? ~0x80u : ~0u);
        return VideoBlocksResult::Ok;
    }
    VideoBlocksResult Restore() override
    {
        ++restores;
        cells_.assign(cells_.size(), 0xFFFFFFFFu);
        return VideoBlocksResult::Ok;
    }

    int locks = 0, restores = 0, gapWrites = 0;

private:
    uint32_t& Cell(uint32_t block, uint32_t c) { return cells_[block * kBlockCells + c]; }
    uint32_t Aliased(uint32_t c) const { return fault_ == Fault::AddressLine ? c & ~512u : c; }
    void Store(uint32_t block, uint32_t c, uint32_t value)
    {
        const uint32_t switching = value ^ lastWritten_;
        lastWritten_ = value;
        if (fault_ == Fault::StuckCell && block == 0 && c == kStuckRow * kPitch + kStuckColumn)
            value &= ~(1u << 9);
        if (fault_ == Fault::StuckLine)
            value &= ~(1u << 20);
        if (fault_ == Fault::Crosstalk && (switching & 0x3800) == 0x2800)
            value ^= 1u << 12;
        if (fault_ == Fault::XByteLost)
            value &= 0x00FFFFFF;
        Cell(block, c) = value;
    }

    Fault fault_;
    uint32_t lastWritten_ = 0;
    std::vector<uint32_t> cells_, view_, presented_;
};

using P = MemTestPattern;

// Each pattern against the faults it is there for; the plain ones (the
// checkerboards, walking ones, own address) against what only the others find.
TEST(MemTestPatterns, EachCatchesItsFaultAndThePlainOnesMissTheRest)
{
    struct Case {
        Fault fault;
        P pattern;
        bool caught;
    };
    const Case cases[] = {
        {Fault::StuckCell, P::RandomAndComplement, true},  {Fault::StuckCell, P::MovingInversions, true},
        {Fault::StuckCell, P::Checkerboard32, true},       {Fault::StuckCell, P::Checkerboard128, true},
        {Fault::StuckLine, P::WalkingOnes64, true},        {Fault::StuckLine, P::Checkerboard32, true},
        {Fault::StuckLine, P::OwnAddress, false},          {Fault::Crosstalk, P::RandomAndComplement, true},
        {Fault::Crosstalk, P::MovingInversions, true},     {Fault::Crosstalk, P::Checkerboard32, false},
        {Fault::Crosstalk, P::Checkerboard128, false},     {Fault::Crosstalk, P::WalkingOnes64, false},
        {Fault::Crosstalk, P::OwnAddress, false},          {Fault::AddressLine, P::OwnAddress, true},
        {Fault::AddressLine, P::RandomAndComplement, true}, {Fault::AddressLine, P::Modulo20, true},
        {Fault::AddressLine, P::MovingInversions, true},   {Fault::AddressLine, P::Checkerboard32, false},
        {Fault::AddressLine, P::Checkerboard128, false},   {Fault::AddressLine, P::WalkingOnes64, false},
        {Fault::CopyDropsBit, P::ChipCopy, true},
        // Neither a byte the surface does not keep nor a lost surface is an error.
        {Fault::XByteLost, P::ChipCopy, false},            {Fault::LostOnce, P::ChipCopy, false},
    };
    std::vector<Case> all(std::begin(cases), std::end(cases));
    for (Fault clean : {Fault::None, Fault::XByteLost, Fault::LostOnce}) {
        for (uint32_t p = 0; p < kMemTestPatternCount; ++p)
            all.push_back({clean, static_cast<P>(p), false});
    }
    for (const Case& c : all) {
        SCOPED_TRACE(testing::Message() << "fault " << static_cast<int>(c.fault) << ", "
                                        << MemTestPatternName(c.pattern));
        FaultyMemory memory(c.fault);
        MemTest test;
        MemTestBegin(&test, &memory, &c.pattern, 1, 7);
        MemTestStatus status = MemTestStatus::Working;
        for (int calls = 0; status == MemTestStatus::Working && calls < 1000; ++calls)
            status = MemTestContinue(&test, 5000);  // slices that end inside rows' worth of work
        ASSERT_EQ(MemTestStatus::PassDone, status);
        EXPECT_EQ(1u, test.totals.passes);
        EXPECT_EQ(c.caught, test.totals.errors.count > 0) << test.totals.errors.count;
        EXPECT_EQ(0, memory.gapWrites);
        EXPECT_EQ(c.fault == Fault::LostOnce ? 1 : 0, memory.restores);
        const MemTestErrors& e = test.totals.errors;
        if (c.caught && c.fault == Fault::StuckCell) {
            EXPECT_EQ(1u << 9, e.failingBits);
            EXPECT_EQ(0u, e.firstBlock);
            EXPECT_EQ((kStuckRow * kRowWords + kStuckColumn) * 4, e.firstOffset);
        }
        if (c.caught && c.fault == Fault::CopyDropsBit) {
            EXPECT_EQ(0x80u, e.failingBits);
            EXPECT_EQ(1u, e.firstBlock);  // the copy's target
        }
    }
}

// A run cycles through its patterns, counts what it verified, and says so
// when it cannot run at all.
TEST(MemTestRun, CyclesPatternsAndRefusesWhatCannotRun)
{
    FaultyMemory memory(Fault::None);
    MemTest test;
    MemTestBegin(&test, &memory, kMemoryClockPatterns, kMemoryClockPatternCount, 1);
    uint32_t passes = 0;
    for (int calls = 0; passes < kMemoryClockPatternCount + 1 && calls < 100000; ++calls)
        passes += MemTestContinue(&test, 1 << 20) == MemTestStatus::PassDone;
    EXPECT_EQ(kMemoryClockPatternCount + 1, test.totals.passes);
    EXPECT_EQ(P::RandomAndComplement, test.patterns[test.patternIndex]);
    // Random data, both checkerboards and moving inversions verify three
    // times, March C- five times, the rest once; the last pass is own address.
    EXPECT_EQ(uint64_t(2 * kRowWords * kRows * 4) * (kMemoryClockPatternCount + 12 + 1), test.totals.bytesTested);
    EXPECT_EQ(0u, test.totals.errors.count);

    struct OneBlock final : VideoBlocks {
        uint32_t Open(char*, uint32_t) override { return 1; }
        void Close() override {}
        uint32_t BlockCount() override { return 1; }
        uint32_t BlockBytes(uint32_t) override { return 4096; }
        VideoBlocksResult Lock(uint32_t, VideoBlockView*) override { return VideoBlocksResult::Failed; }
        void Unlock(uint32_t) override {}
        VideoBlocksResult Copy(uint32_t, uint32_t) override { return VideoBlocksResult::Ok; }
        VideoBlocksResult Restore() override { return VideoBlocksResult::Ok; }
    } single;
    MemTestBegin(&test, &single, kCoreClockPatterns, kCoreClockPatternCount, 1);
    EXPECT_EQ(MemTestStatus::Failed, MemTestContinue(&test, 1 << 20));  // copies need two blocks
    MemTestBegin(&test, &single, kMemoryClockPatterns, 1, 1);
    EXPECT_EQ(MemTestStatus::Failed, MemTestContinue(&test, 1 << 20));  // the seam refused
}

}  // namespace
