#include <gtest/gtest.h>
#include <signal.h>
#include <sys/mman.h>
#include <unistd.h>

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
    NoRise,        // bit 9 of the stuck cell's word cannot change from 0 to 1
    NoFall,        // ... nor from 1 to 0
    Coupled,       // a change of one word's bit 12 disturbs another word (Couple)
    ReadOnce,      // at the third lock, one word reads wrong until the CPU reads on past it
};

struct Shape {
    uint32_t rowWords, pitch, rows;
};
const uint32_t kRowWords = 96, kPitch = 128, kRows = 64;
const Shape kWide = {kRowWords, kPitch, kRows};
const uint32_t kStuckRow = 10, kStuckColumn = 20, kGap = 0x6A6A6A6Au;
const uint32_t kViewOffset = 64;  // the view starts 256 bytes into its pages

enum class Coupling { Inverts, SetsZero, SetsOne };

// Two blocks of rows (96 words of 128 unless told): the CPU works on a copy
// made at Lock, and at Unlock the words it changed go into the cells through
// the fault. With one word per row and slices of one row, every access
// reaches the cells in the order the engine makes it.
class FaultyMemory final : public VideoBlocks {
public:
    explicit FaultyMemory(Fault fault, Shape shape = kWide)
        : fault_(fault), shape_(shape), blockCells_(shape.pitch * shape.rows), cells_(2 * blockCells_, kGap)
    {
        mapBytes_ = ((kViewOffset + blockCells_) * 4 + PageBytes() - 1) / PageBytes() * PageBytes();
        map_ = static_cast<uint32_t*>(mmap(nullptr, mapBytes_, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0));
        view_ = map_ + kViewOffset;
    }
    ~FaultyMemory() { munmap(map_, mapBytes_); }

    static uint32_t PageBytes() { return static_cast<uint32_t>(sysconf(_SC_PAGESIZE)); }
    void Fill(uint32_t value) { cells_.assign(cells_.size(), value); }
    void Couple(uint32_t aggressorWord, uint32_t victimWord, Coupling effect, bool rising)
    {
        aggressor_ = aggressorWord / shape_.rows * blockCells_ + aggressorWord % shape_.rows * shape_.pitch;
        victim_ = victimWord / shape_.rows * blockCells_ + victimWord % shape_.rows * shape_.pitch;
        effect_ = effect;
        rising_ = rising;
    }

    uint32_t Open(char*, uint32_t) override { return 2; }
    void Close() override {}
    uint32_t BlockCount() override { return 2; }
    uint32_t BlockBytes(uint32_t) override { return shape_.rowWords * shape_.rows * 4; }
    VideoBlocksResult Lock(uint32_t block, VideoBlockView* view) override
    {
        ++locks;
        if (fault_ == Fault::LostOnce && locks == 3)
            return VideoBlocksResult::Lost;
        for (uint32_t c = 0; c < blockCells_; ++c)
            view_[c] = Cell(block, Aliased(c));
        presented_.assign(view_, view_ + blockCells_);
        *view = {view_, shape_.rowWords, shape_.rows, shape_.pitch,
                 fault_ == Fault::XByteLost ? 0x00FFFFFFu : 0xFFFFFFFFu};
        if (fault_ == Fault::ReadOnce && locks == 3)
            ArmReadOnce();
        return VideoBlocksResult::Ok;
    }
    void Unlock(uint32_t block) override
    {
        DisarmReadOnce();
        for (uint32_t c = 0; c < blockCells_; ++c) {
            if (view_[c] == presented_[c])
                continue;
            gapWrites += c % shape_.pitch >= shape_.rowWords;
            Store(block, Aliased(c), view_[c]);
        }
    }
    VideoBlocksResult Copy(uint32_t from, uint32_t to) override
    {
        for (uint32_t c = 0; c < blockCells_; ++c)
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
    uint32_t readOnceOffset = 0;  // the byte offset in block 0 of the word that reads wrong once

private:
    uint32_t& Cell(uint32_t block, uint32_t c) { return cells_[block * blockCells_ + c]; }
    uint32_t Aliased(uint32_t c) const { return fault_ == Fault::AddressLine ? c & ~512u : c; }
    void Store(uint32_t block, uint32_t c, uint32_t value)
    {
        const uint32_t switching = value ^ lastWritten_;
        lastWritten_ = value;
        const uint32_t was = Cell(block, c);
        const bool stuckCell = block == 0 && c == kStuckRow * kPitch + kStuckColumn;
        if (fault_ == Fault::StuckCell && stuckCell)
            value &= ~(1u << 9);
        if (fault_ == Fault::NoRise && stuckCell)
            value &= was | ~(1u << 9);
        if (fault_ == Fault::NoFall && stuckCell)
            value |= was & (1u << 9);
        if (fault_ == Fault::StuckLine)
            value &= ~(1u << 20);
        if (fault_ == Fault::Crosstalk && (switching & 0x3800) == 0x2800)
            value ^= 1u << 12;
        if (fault_ == Fault::XByteLost)
            value &= 0x00FFFFFF;
        Cell(block, c) = value;
        if (fault_ == Fault::Coupled && block * blockCells_ + c == aggressor_ &&
            ((rising_ ? ~was & value : was & ~value) & (1u << 12))) {
            uint32_t& victim = cells_[victim_];
            victim = effect_ == Coupling::Inverts ? victim ^ (1u << 12)
                     : effect_ == Coupling::SetsZero ? victim & ~(1u << 12)
                                                     : victim | (1u << 12);
        }
    }

    // The word just below a page boundary, in a row that runs on into the
    // next page, shows bit 5 wrong: every page is shut, the first touch of
    // the word's page shows it wrong, the first touch of another (the CPU
    // reading on) puts it right. Only a second read of the word misses it.
    static FaultyMemory* armed_;
    static void OnFault(int, siginfo_t* info, void*)
    {
        FaultyMemory* m = armed_;
        mprotect(m->map_, m->mapBytes_, PROT_READ | PROT_WRITE);
        const bool wordsPage = (reinterpret_cast<uintptr_t>(info->si_addr) & -uintptr_t(PageBytes())) ==
                               reinterpret_cast<uintptr_t>(m->wordsPage_);
        if (wordsPage && !m->shown_) {
            m->view_[m->readOnceCell_] ^= 1u << 5;
            m->shown_ = true;
            mprotect(m->map_, m->mapBytes_, PROT_NONE);
            mprotect(m->wordsPage_, PageBytes(), PROT_READ | PROT_WRITE);
        } else {
            m->PutRight();
        }
    }
    void PutRight()
    {
        if (shown_ && view_[readOnceCell_] == (presented_[readOnceCell_] ^ (1u << 5)))
            view_[readOnceCell_] = presented_[readOnceCell_];
        shown_ = false;
    }
    void ArmReadOnce()
    {
        // Row r lies at bytes 256 + 512 r of the pages.
        const uint32_t row = PageBytes() / (shape_.pitch * 4) - 1;
        const uint32_t column = (PageBytes() - (kViewOffset + row * shape_.pitch) * 4) / 4 - 1;
        readOnceCell_ = row * shape_.pitch + column;
        readOnceOffset = (row * shape_.rowWords + column) * 4;
        wordsPage_ = reinterpret_cast<char*>(map_) + PageBytes() * ((kViewOffset + readOnceCell_) * 4 / PageBytes());
        armed_ = this;
        struct sigaction action = {};
        action.sa_sigaction = OnFault;
        action.sa_flags = SA_SIGINFO;
        sigaction(SIGSEGV, &action, &previous_);
        sigaction(SIGBUS, &action, &previousBus_);
        mprotect(map_, mapBytes_, PROT_NONE);
    }
    void DisarmReadOnce()
    {
        if (armed_ != this)
            return;
        mprotect(map_, mapBytes_, PROT_READ | PROT_WRITE);
        PutRight();
        sigaction(SIGSEGV, &previous_, nullptr);
        sigaction(SIGBUS, &previousBus_, nullptr);
        armed_ = nullptr;
    }

    Fault fault_;
    Shape shape_;
    uint32_t blockCells_;
    uint32_t lastWritten_ = 0;
    std::vector<uint32_t> cells_, presented_;
    uint32_t* map_ = nullptr;
    uint32_t* view_ = nullptr;
    size_t mapBytes_ = 0;
    uint32_t aggressor_ = 0, victim_ = 0;
    Coupling effect_ = Coupling::Inverts;
    bool rising_ = true;
    bool shown_ = false;
    uint32_t readOnceCell_ = 0;
    void* wordsPage_ = nullptr;
    struct sigaction previous_ = {};
    struct sigaction previousBus_ = {};
};
FaultyMemory* FaultyMemory::armed_ = nullptr;

// The read-once fake needs the host to report a read of a shut page as a
// memory fault at that page. Hosts differ in how they report faults (some
// hypervisors hand one over as an illegal instruction), so ask first.
struct PageFaultReport {
    static int signal;
    static void* address;
    static void* page;
    static void Record(int number, siginfo_t* info, void*)
    {
        signal = number;
        address = info->si_addr;
        mprotect(page, FaultyMemory::PageBytes(), PROT_READ | PROT_WRITE);
    }
};
int PageFaultReport::signal = 0;
void* PageFaultReport::address = nullptr;
void* PageFaultReport::page = nullptr;

bool HostReportsShutPagesPlainly()
{
    const size_t bytes = FaultyMemory::PageBytes();
    void* page = mmap(nullptr, bytes, PROT_NONE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
    if (page == MAP_FAILED)
        return false;
    PageFaultReport::page = page;
    PageFaultReport::signal = 0;
    struct sigaction action = {};
    action.sa_sigaction = PageFaultReport::Record;
    action.sa_flags = SA_SIGINFO;
    const int kinds[3] = {SIGSEGV, SIGBUS, SIGILL};
    struct sigaction previous[3];
    for (int i = 0; i < 3; ++i)
        sigaction(kinds[i], &action, &previous[i]);
    const uint32_t seen = *static_cast<volatile uint32_t*>(page);
    for (int i = 0; i < 3; ++i)
        sigaction(kinds[i], &previous[i], nullptr);
    munmap(page, bytes);
    return seen == 0 && (PageFaultReport::signal == SIGSEGV || PageFaultReport::signal == SIGBUS) &&
           PageFaultReport::address == page;
}

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

// What a pattern that complements its words finds does not hang on what the
// memory held before it: a bit that cannot rise, or cannot fall, shows
// whether the memory held all zeros or all ones.
TEST(MemTestPatterns, ComplementingOnesFindTransitionFaultsWhateverCameBefore)
{
    for (P pattern : {P::RandomAndComplement, P::MovingInversions, P::MarchCMinus, P::Checkerboard32,
                      P::Checkerboard128}) {
        for (Fault fault : {Fault::NoRise, Fault::NoFall}) {
            for (uint32_t before : {0u, ~0u}) {
                SCOPED_TRACE(testing::Message() << MemTestPatternName(pattern) << ", fault "
                                                << static_cast<int>(fault) << ", before " << before);
                FaultyMemory memory(fault);
                memory.Fill(before);
                MemTest test;
                MemTestBegin(&test, &memory, &pattern, 1, 7);
                while (MemTestContinue(&test, 5000) == MemTestStatus::Working) {
                }
                EXPECT_GT(test.totals.errors.count, 0u);
                EXPECT_EQ(1u << 9, test.totals.errors.failingBits);
            }
        }
    }
}

// A change of one word's bit disturbs another word, below or above it, in
// its block or the other: the memory clock's set finds each. One word per
// row and slices of one row, so every access reaches the cells in order.
TEST(MemTestPatterns, TheMemoryClockSetFindsCouplingWhereverTheWordsLie)
{
    const struct {
        uint32_t aggressor, victim;  // word numbers: 32 words a block
    } places[] = {{3, 20}, {20, 3}, {10, 40}, {40, 10}};
    for (const auto& place : places) {
        for (Coupling effect : {Coupling::Inverts, Coupling::SetsZero, Coupling::SetsOne}) {
            for (bool rising : {true, false}) {
                SCOPED_TRACE(testing::Message() << place.aggressor << " -> " << place.victim << ", effect "
                                                << static_cast<int>(effect) << (rising ? ", rising" : ", falling"));
                FaultyMemory memory(Fault::Coupled, {1, 2, 32});
                memory.Couple(place.aggressor, place.victim, effect, rising);
                MemTest test;
                MemTestBegin(&test, &memory, kMemoryClockPatterns, kMemoryClockPatternCount, 11);
                while (test.totals.passes < kMemoryClockPatternCount)
                    ASSERT_NE(MemTestStatus::Failed, MemTestContinue(&test, 1));
                EXPECT_GT(test.totals.errors.count, 0u);
                EXPECT_EQ(1u << 12, test.totals.errors.failingBits);
            }
        }
    }
}

// A word that reads wrong once and right after (what a marginal clock
// makes) is counted, with the bits and the place of that one read.
TEST(MemTestErrors, AWordWrongOnOneReadOnlyIsCounted)
{
    if (FaultyMemory::PageBytes() / (kPitch * 4) > kRows)
        GTEST_SKIP() << "the fake's block does not reach a page boundary";
    if (!HostReportsShutPagesPlainly())
        GTEST_SKIP() << "this host does not report a read of a shut page as a fault at that page";
    for (uint32_t p = 0; p < kMemoryClockPatternCount; ++p) {
        SCOPED_TRACE(MemTestPatternName(kMemoryClockPatterns[p]));
        FaultyMemory memory(Fault::ReadOnce);
        MemTest test;
        MemTestBegin(&test, &memory, &kMemoryClockPatterns[p], 1, 3);
        while (MemTestContinue(&test, 1 << 20) == MemTestStatus::Working) {
        }
        const MemTestErrors& e = test.totals.errors;
        EXPECT_EQ(1u, e.count);
        EXPECT_EQ(1u << 5, e.failingBits);
        EXPECT_EQ(0u, e.firstBlock);
        EXPECT_EQ(memory.readOnceOffset, e.firstOffset);
    }
}

}  // namespace
