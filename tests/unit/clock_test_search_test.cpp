// "Find Highest" on a simulated board whose clocks err above a limit, the
// suggestion rule, and the note that survives a test that stopped the machine.
#include <algorithm>

#include "clock/pll_search.h"
#include "clock_test/note.h"
#include "settings_fixture.h"
#include "clock_test/job.h"
#include "clock_test/search.h"

namespace {

uint32_t EveryClock(void*, uint32_t mhz) { return mhz; }
uint32_t EvenClocks(void*, uint32_t mhz) { return mhz & ~1u; }
uint32_t ChipClocks(void*, uint32_t mhz) { return ReachedClock(kMemDomain, mhz); }

struct Board {
    uint32_t okMHz;     // errors above
    uint32_t flakyMHz;  // clean in a short step, errors in the long confirmation
};

struct Outcome {
    SearchEnd end;
    uint32_t clean, failing, highestTried, steps;
};

Outcome RunSearch(ClockReach pll, uint32_t start, uint32_t ceiling, Board board)
{
    ClockSearch search;
    SearchBegin(&search, pll, start, ceiling);
    Outcome out = {};
    while (search.phase != SearchPhase::Done && out.steps < 200) {
        const uint32_t clock = search.clock;
        EXPECT_EQ(clock, pll.reach(pll.context, clock)) << "a clock the PLL does not reach";
        out.highestTried = std::max(out.highestTried, clock);
        ++out.steps;
        SearchStepDone(&search, clock > board.okMHz || (SearchConfirming(search) && clock == board.flakyMHz));
    }
    out.end = search.end;
    out.clean = SearchHighestClean(search);
    out.failing = search.failing;
    return out;
}

}  // namespace

TEST(ClockSearch, FindsTheHighestCleanClockNeverAboveTheCeiling)
{
    const ClockReach every = {EveryClock, nullptr}, even = {EvenClocks, nullptr};
    const struct {
        const char* what;
        ClockReach pll;
        uint32_t start, ceiling;
        Board board;
        SearchEnd end;
        uint32_t clean, failing;
    } cases[] = {
        {"TNT2 memory", every, 150, 166, {160, 0}, SearchEnd::Found, 160, 161},
        {"GeForce core", every, 120, 135, {130, 0}, SearchEnd::Found, 130, 131},
        {"only even clocks", even, 150, 166, {161, 0}, SearchEnd::Found, 160, 162},
        {"clean up to the ceiling", every, 150, 166, {200, 0}, SearchEnd::AtCeiling, 166, 0},
        {"ceiling between steps", every, 150, 164, {200, 0}, SearchEnd::AtCeiling, 164, 0},
        {"fails its confirmation", every, 150, 166, {160, 160}, SearchEnd::Found, 159, 160},
        {"errors where it starts", every, 150, 166, {140, 0}, SearchEnd::NoneClean, 0, 150},
        {"starts above the ceiling", every, 170, 166, {200, 0}, SearchEnd::NoneClean, 0, 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        const Outcome out = RunSearch(c.pll, c.start, c.ceiling, c.board);
        EXPECT_EQ(c.end, out.end);
        EXPECT_EQ(c.clean, out.clean);
        EXPECT_EQ(c.failing, out.failing);
        EXPECT_LE(out.highestTried, c.ceiling);
        EXPECT_LT(out.steps, 20u);
    }
}

TEST(ClockSearch, SuggestsFivePercentBelowRoundedDown)
{
    const uint32_t cases[][2] = {{160, 152}, {130, 123}, {100, 95}, {139, 132}, {0, 0}};
    for (const auto& c : cases)
        EXPECT_EQ(c[1], SuggestedClock(c[0])) << c[0];
}

class ClockTestOnChip : public SettingsTest {};

TEST_F(ClockTestOnChip, StepsOnlyToClocksTheChipsPllReaches)
{
    // The TNT2's own PLL: every clock tried reads back as itself (checked in
    // RunSearch), and the limit is found within a step.
    const Outcome out = RunSearch(ClockReach{ChipClocks, nullptr}, 150, 183, Board{160, 0});
    EXPECT_EQ(SearchEnd::Found, out.end);
    EXPECT_LE(out.clean, 160u);
    EXPECT_GE(out.clean + kClimbStepMHz, 160u);
    EXPECT_GT(out.failing, 160u);
}

TEST_F(ClockTestOnChip, AnUnfinishedClockIsToldOnceAndKeepsSearchesBelowIt)
{
    WriteClockTestNote(ClockTestNote{186, kMemDomain, false});
    EXPECT_EQ(186u, Dword(kTestSettingsKey, "Clock Test")) << "memory clock, unfinished";

    EXPECT_EQ(186u, TakeUnfinishedClockTest().mhz);
    EXPECT_EQ(0u, TakeUnfinishedClockTest().mhz) << "told once";
    const ClockTestNote tooHigh = ReadClockTestNote();
    EXPECT_TRUE(tooHigh.told);
    EXPECT_EQ(185u, SearchCeiling(200, kMemDomain, tooHigh));
    EXPECT_EQ(183u, SearchCeiling(183, kMemDomain, tooHigh));
    EXPECT_EQ(200u, SearchCeiling(200, kGfxDomain, tooHigh)) << "the other clock is not limited";

    WriteClockTestNote(ClockTestNote{130, kGfxDomain, false});
    EXPECT_EQ(kGfxDomain, ReadClockTestNote().domain);
    WriteClockTestNote(ClockTestNote{0, kMemDomain, false});
    EXPECT_FALSE(Has(kTestSettingsKey, "Clock Test"));
}
