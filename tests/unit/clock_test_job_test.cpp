// The clock test's jobs on the simulated PC: every way out puts back the
// exact PLL words that were on the chip, leaves the limits alone and the
// note as it stood (or cleared by a clean test at its clock), and says why
// the job ended.
#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "board/board_detect.h"
#include "board/chip_registers.h"
#include "clock/pll_search.h"
#include "clock_test/job.h"
#include "counting_registry.h"
#include "registry_under_test.h"
#include "settings/settings_store.h"
#include "settings_fixture.h"
#include "sim_fixture.h"

namespace {

const uint32_t kToldBit = 1u << 31;

class ClockTestJobTest : public SimPcTest {
protected:
    void SetUp() override
    {
        AttachVideoMemory();
        store_ = MakeRegistryUnderTest();
        store_->Wipe();
        seam_.Attach(store_->Seam());
    }
    void TearDown() override
    {
        EXPECT_EQ(0, seam_.OpenKeys()) << "a registry key was left open";
        store_->Wipe();
    }

    void StartVelkor(const char* config, uint32_t memNote)
    {
        store_->Wipe();
        Configure(config);
        FreshApp();
        gApp.platform.registry = &seam_;
        ASSERT_EQ(1, DetectBoard());
        LoadSettings();
        if (memNote)
            store_->Put(kTestSettingsKey, "Clock Test", kRegDword, DwordBytes(memNote));
    }

    uint32_t MemNote()
    {
        StoredValue value;
        if (!store_->Get(kTestSettingsKey, "Clock Test", &value) || value.data.size() != 4)
            return 0;
        return value.data[0] | value.data[1] << 8 | value.data[2] << 16 | static_cast<uint32_t>(value.data[3]) << 24;
    }

    std::unique_ptr<RegistryUnderTest> store_;
    CountingRegistry seam_;
};

TEST_F(ClockTestJobTest, EveryWayOutPutsBackTheExactWordsAndTheNote)
{
    const struct {
        const char* what;
        const char* config;
        ClockTestMode mode;
        uint32_t noteBefore;
        int stopAfterSlices;  // 0: runs to its own end
        ClockTestState state;
        ClockTestEnd end;
        uint32_t noteAfter;
        uint32_t suggestion;
        bool startErred;
    } cases[] = {
        {"Stop in a search, a 13.5 MHz board's own word", "xtal=13.5 mem=0000880D", ClockTestMode::FindHighest, 0,
         300, ClockTestState::Stopped, ClockTestEnd::Stopped, 0, 0, false},
        {"Stop in a search from 19 MHz, below what Velkor writes", "mem=0003880D", ClockTestMode::FindHighest, 0,
         300, ClockTestState::Stopped, ClockTestEnd::Stopped, 0, 0, false},
        {"the video memory fails in a search", "memok=170 memhang=152", ClockTestMode::FindHighest, 0, 0,
         ClockTestState::Failed, ClockTestEnd::Failed, 0, 0, false},
        {"a finished search", "memok=160", ClockTestMode::FindHighest, 0, 0, ClockTestState::Finished,
         ClockTestEnd::Found, 0, 152, false},
        {"a search down from a clock that errs", "memok=140", ClockTestMode::FindHighest, 0, 0,
         ClockTestState::Finished, ClockTestEnd::Found, 0, 140, true},
        {"a search that starts above a clock that stopped the machine", "", ClockTestMode::FindHighest,
         kToldBit | 150, 0, ClockTestState::Finished, ClockTestEnd::AboveCeiling, kToldBit | 150, 0, false},
        {"a clean round at that clock clears it", "", ClockTestMode::Test, kToldBit | 150, 400,
         ClockTestState::Stopped, ClockTestEnd::Stopped, 0, 0, false},
        {"an unfinished round there keeps it", "", ClockTestMode::Test, kToldBit | 150, 1,
         ClockTestState::Stopped, ClockTestEnd::Stopped, kToldBit | 150, 0, false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        StartVelkor((std::string("board=TNT2 vram=8 ") + c.config).c_str(), c.noteBefore);
        const uint32_t gfxWord = pc->chip.Peek32(kGfxPllOffset), memWord = pc->chip.Peek32(kMemPllOffset);
        const uint32_t gfxSelected = gApp.gfx.selected, memSelected = gApp.mem.selected;
        const uint32_t memMin = gApp.mem.min, memMax = gApp.mem.max;

        ClockTestJob job = {};
        uint32_t now = 0;
        ASSERT_EQ(1, ClockTestBegin(&job, c.mode, kMemDomain, 1, now));
        uint32_t memWordAtStop = memWord;
        for (int slice = 1; ClockTestRunning(job) && slice < 4000; ++slice) {
            now += 250;
            ClockTestSlice(&job, 1u << 20, now);
            if (slice == c.stopAfterSlices) {
                memWordAtStop = pc->chip.Peek32(kMemPllOffset);
                ClockTestStop(&job);
            }
        }
        if (c.mode == ClockTestMode::FindHighest && c.stopAfterSlices) {
            EXPECT_NE(memWord, memWordAtStop) << "stopped before the search moved the clock";
        }
        EXPECT_EQ(c.state, job.state);
        EXPECT_EQ(c.end, job.end);
        EXPECT_EQ(gfxWord, pc->chip.Peek32(kGfxPllOffset));
        EXPECT_EQ(memWord, pc->chip.Peek32(kMemPllOffset));
        EXPECT_EQ(ReadMemClock(), gApp.mem.applied);
        EXPECT_EQ(c.noteAfter, MemNote());
        EXPECT_EQ(0u, gApp.ui.clockTestRunning);
        EXPECT_EQ(c.suggestion, job.suggestion);
        EXPECT_EQ(c.startErred, job.startErred);
        EXPECT_EQ(c.suggestion ? c.suggestion : memSelected, gApp.mem.selected) << "the suggestion waits on the slider";
        EXPECT_EQ(gfxSelected, gApp.gfx.selected);
        EXPECT_EQ(memMin, gApp.mem.min) << "a limit never moves";
        EXPECT_EQ(memMax, gApp.mem.max);
    }
}

TEST_F(ClockTestJobTest, AStartWhileAJobRunsLeavesItAlone)
{
    StartVelkor("board=TNT2 vram=8", 0);
    const uint32_t memWord = pc->chip.Peek32(kMemPllOffset);
    ClockTestJob job = {};
    ASSERT_EQ(1, ClockTestBegin(&job, ClockTestMode::FindHighest, kMemDomain, 1, 0));
    for (uint32_t now = 250; job.steps < 2; now += 250)
        ClockTestSlice(&job, 1u << 20, now);
    ASSERT_NE(memWord, pc->chip.Peek32(kMemPllOffset));
    EXPECT_EQ(0, ClockTestBegin(&job, ClockTestMode::FindHighest, kMemDomain, 1, 0));
    EXPECT_TRUE(ClockTestRunning(job));
    ClockTestStop(&job);
    EXPECT_EQ(memWord, pc->chip.Peek32(kMemPllOffset)) << "the clock from before the first start";
}

TEST(ClockTestSeconds, OnlyAWholeNumberFromOneTo600)
{
    const struct {
        const char* text;
        int ok;
        uint32_t seconds;
    } cases[] = {{"10", 1, 10}, {" 600 ", 1, 600}, {"1", 1, 1}, {"-1", 0, 0}, {"0", 0, 0},
                 {"601", 0, 0}, {"4294967297", 0, 0}, {"", 0, 0}, {"1.5", 0, 0}, {"12a", 0, 0}};
    for (const auto& c : cases) {
        uint32_t seconds = 0;
        EXPECT_EQ(c.ok, ParseSecondsPerClock(c.text, &seconds)) << c.text;
        EXPECT_EQ(c.seconds, seconds) << c.text;
    }
}

}  // namespace
