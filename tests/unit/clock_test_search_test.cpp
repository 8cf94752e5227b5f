// "Find Highest" on a simulated board whose clocks err above a limit, the
// suggestion rule, and the note that survives a test that stopped the machine.
#include <algorithm>

#include "clock/pll_search.h"
#include "clock_test/note.h"
#include "settings/settings_store.h"
#include "settings_fixture.h"
#include "clock_test/job.h"
#include "clock_test/search.h"

namespace {

uint32_t EveryClock(void*, uint32_t mhz) { return mhz; }
uint32_t EvenClocks(void*, uint32_t mhz) { return mhz & ~1u; }
uint32_t ChipClocks(void*, uint32_t mhz) { return ReachedClock(kMemDomain, mhz); }
// A PLL that reaches nothing above 170 MHz; counts how often it is asked.
uint32_t ReachesTo170(void* asked, uint32_t mhz)
{
    ++*static_cast<uint32_t*>(asked);
    return mhz <= 170 ? mhz : 0;
}

struct Board {
    uint32_t okMHz;     // errors above
    uint32_t flakyMHz;  // clean in a short step, errors in the long confirmation
};

struct Outcome {
    SearchEnd end;
    uint32_t clean, failing, highestTried, steps;
};

Outcome RunSearch(ClockReach pll, uint32_t start, uint32_t ceiling, Board board, uint32_t floor = 100)
{
    ClockSearch search;
    SearchBegin(&search, pll, start, floor, ceiling);
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
        uint32_t clean, failing, floor;
    } cases[] = {
        {"TNT2 memory", every, 150, 166, {160, 0}, SearchEnd::Found, 160, 161, 100},
        {"GeForce core", every, 120, 135, {130, 0}, SearchEnd::Found, 130, 131, 100},
        {"only even clocks", even, 150, 166, {161, 0}, SearchEnd::Found, 160, 162, 100},
        {"clean up to the ceiling", every, 150, 166, {200, 0}, SearchEnd::AtCeiling, 166, 0, 100},
        {"ceiling between steps", every, 150, 164, {200, 0}, SearchEnd::AtCeiling, 164, 0, 100},
        {"fails its confirmation", every, 150, 166, {160, 160}, SearchEnd::Found, 159, 160, 100},
        {"errors where it starts: steps down", every, 150, 166, {140, 0}, SearchEnd::Found, 140, 141, 100},
        {"steps down only to clocks reached", even, 150, 166, {141, 0}, SearchEnd::Found, 140, 142, 100},
        {"errors down to the floor", every, 150, 166, {140, 0}, SearchEnd::NoneClean, 0, 145, 145},
        {"starts above the ceiling", every, 170, 166, {200, 0}, SearchEnd::AboveCeiling, 0, 0, 100},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        const Outcome out = RunSearch(c.pll, c.start, c.ceiling, c.board, c.floor);
        EXPECT_EQ(c.end, out.end);
        EXPECT_EQ(c.clean, out.clean);
        EXPECT_EQ(c.failing, out.failing);
        EXPECT_LE(out.highestTried, c.ceiling);
        EXPECT_LT(out.steps, 20u);
    }
}

TEST(ClockSearch, AClimbPastThePllsReachEndsThereAfterAShortScan)
{
    // A hand-edited limit far past anything the PLL makes: the climb names
    // the PLL's reach, and no step scans more than a few dozen clocks.
    uint32_t asked = 0;
    ClockSearch search;
    SearchBegin(&search, ClockReach{ReachesTo170, &asked}, 150, 100, 32767);
    uint32_t mostAsked = 0;
    while (search.phase != SearchPhase::Done) {
        asked = 0;
        SearchStepDone(&search, false);
        mostAsked = std::max(mostAsked, asked);
    }
    EXPECT_EQ(SearchEnd::AtPllReach, search.end);
    EXPECT_EQ(170u, SearchHighestClean(search));
    EXPECT_LE(mostAsked, 2 * kReachScanMHz);
}

TEST(ClockSearch, TheSuggestionNeverFallsBelowTheFloorTheDefaultOrACleanStart)
{
    const struct {
        const char* what;
        uint32_t start, okMHz, floor, defaultClock, suggestion;
    } cases[] = {
        {"5% below", 150, 170, 100, 125, 161},
        {"not below the default", 120, 128, 100, 125, 125},
        {"not below a clean start", 140, 142, 100, 125, 140},
        {"not below the floor", 100, 101, 100, 90, 100},
        {"never above the highest clean clock", 110, 120, 100, 125, 120},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        ClockSearch search;
        SearchBegin(&search, ClockReach{EveryClock, nullptr}, c.start, 50, 250);
        while (search.phase != SearchPhase::Done)
            SearchStepDone(&search, search.clock > c.okMHz);
        EXPECT_EQ(c.suggestion, SearchSuggestion(search, SuggestionBounds{c.floor, c.defaultClock}));
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
    LoadSettings();
    WriteClockTestNote(ClockTestNote{176, kMemDomain, false});
    EXPECT_EQ(176u, Dword(kTestSettingsKey, "Clock Test")) << "memory clock, unfinished";

    EXPECT_EQ(176u, TakeUnfinishedClockTest().mhz);
    EXPECT_EQ(0u, TakeUnfinishedClockTest().mhz) << "told once";
    const ClockTestNote tooHigh = ReadClockTestNote(kMemDomain);
    EXPECT_TRUE(tooHigh.told);
    EXPECT_EQ(175u, SearchCeiling(183, 250, tooHigh));
    EXPECT_EQ(170u, SearchCeiling(170, 250, tooHigh));
    EXPECT_EQ(190u, SearchCeiling(32767, 190, ClockTestNote{0, kMemDomain, false})) << "the board's ceiling";
    EXPECT_EQ(0u, ReadClockTestNote(kGfxDomain).mhz) << "the other clock has no note";
    WriteClockTestNote(ClockTestNote{0, kMemDomain, false});
    EXPECT_FALSE(Has(kTestSettingsKey, "Clock Test"));
}

TEST_F(ClockTestOnChip, EachDomainKeepsItsOwnNoteAndAnOlderSingleNoteStillCounts)
{
    LoadSettings();
    // An older Velkor's graphics core note, in the one value of both domains.
    PutDword(kTestSettingsKey, "Clock Test", (1u << 16) | 131);
    EXPECT_EQ(131u, ReadClockTestNote(kGfxDomain).mhz);
    EXPECT_EQ(0u, ReadClockTestNote(kMemDomain).mhz);
    // A memory step that stops the machine, then a core step that does: both stay.
    WriteClockTestNote(ClockTestNote{162, kMemDomain, false});
    WriteClockTestNote(ClockTestNote{132, kGfxDomain, false});
    EXPECT_EQ(162u, ReadClockTestNote(kMemDomain).mhz);
    EXPECT_EQ(132u, ReadClockTestNote(kGfxDomain).mhz);
    const ClockTestNote told = TakeUnfinishedClockTest();
    EXPECT_EQ(kMemDomain, told.domain);
    EXPECT_EQ(kGfxDomain, TakeUnfinishedClockTest().domain) << "then the core's";
    EXPECT_EQ(0u, TakeUnfinishedClockTest().mhz);
    EXPECT_EQ(162u, ReadClockTestNote(kMemDomain).mhz) << "still too high once told";

    // A note at no clock the board runs is removed.
    PutDword(kTestSettingsKey, "Clock Test", 1);
    EXPECT_EQ(0u, ReadClockTestNote(kMemDomain).mhz);
    EXPECT_FALSE(Has(kTestSettingsKey, "Clock Test"));
}
