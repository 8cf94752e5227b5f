#include "clock_test/search.h"

#include "board/chip_registers.h"
#include "clock/clock_programming.h"
#include "clock/pll_search.h"

namespace {

uint32_t Reach(ClockReach pll, uint32_t targetMHz)
{
    return pll.reach(pll.context, targetMHz);
}

// A reachable clock strictly between `low` and `high`, the nearest to their
// middle (upward first), 0 when the PLL has none there.
uint32_t ReachableBetween(ClockReach pll, uint32_t low, uint32_t high)
{
    if (high <= low + 1)
        return 0;
    const uint32_t middle = low + (high - low) / 2;
    for (uint32_t distance = 0; distance < high - low; ++distance) {
        const uint32_t targets[2] = {middle + distance, middle - distance};
        for (uint32_t target : targets) {
            if (target <= low || target >= high)
                continue;
            const uint32_t clock = Reach(pll, target);
            if (clock > low && clock < high)
                return clock;
        }
    }
    return 0;
}

void Finish(ClockSearch* search, SearchEnd end)
{
    search->phase = SearchPhase::Done;
    search->end = end;
}

void RememberClean(ClockSearch* search, uint32_t clock)
{
    if (search->cleanCount == kSearchMemory) {
        // The lowest goes: the search only ever falls back to the higher ones.
        for (uint32_t i = 1; i < kSearchMemory; ++i)
            search->clean[i - 1] = search->clean[i];
        --search->cleanCount;
    }
    search->clean[search->cleanCount++] = clock;
}

// Below the lowest failing clock, about one step down, never below the floor.
void Descend(ClockSearch* search)
{
    const uint32_t from = search->failing;
    const uint32_t step = from > search->floor + kClimbStepMHz ? from - kClimbStepMHz : search->floor;
    uint32_t next = from > search->floor ? ReachableDownFrom(search->pll, step, search->floor) : 0;
    if (next == 0 && from > search->floor + 1)
        next = ReachableDownFrom(search->pll, from - 1, search->floor);
    if (next == 0) {
        Finish(search, SearchEnd::NoneClean);
        return;
    }
    search->phase = SearchPhase::Descending;
    search->clock = next;
}

// Between the highest clean clock and the lowest failing one: the middle,
// or, when no clock lies between, the confirmation of the clean one.
void Narrow(ClockSearch* search)
{
    if (search->cleanCount == 0) {
        Descend(search);
        return;
    }
    const uint32_t clean = search->clean[search->cleanCount - 1];
    const uint32_t next = ReachableBetween(search->pll, clean, search->failing);
    if (next != 0) {
        search->phase = SearchPhase::Narrowing;
        search->clock = next;
    } else {
        search->phase = SearchPhase::Confirming;
        search->clock = clean;
    }
}

// The next clock up: about one step higher, else whatever the PLL still
// reaches below the ceiling. With none left the highest clock allowed (or
// reached) ran clean, and it is confirmed like any other candidate.
void Climb(ClockSearch* search)
{
    const uint32_t from = search->clock;
    uint32_t next = ReachableFrom(search->pll, from + kClimbStepMHz, search->ceiling);
    if (next == 0)
        next = ReachableFrom(search->pll, from + 1, search->ceiling);
    if (next == 0) {
        search->reachEnded = from < search->ceiling;
        search->phase = SearchPhase::Confirming;
    } else {
        search->clock = next;
    }
}

}  // namespace

uint32_t ReachableFrom(ClockReach pll, uint32_t fromMHz, uint32_t toMHz)
{
    for (uint32_t target = fromMHz; target <= toMHz && target - fromMHz < kReachScanMHz; ++target) {
        const uint32_t clock = Reach(pll, target);
        if (clock >= fromMHz && clock <= toMHz)
            return clock;
    }
    return 0;
}

uint32_t ReachableDownFrom(ClockReach pll, uint32_t highMHz, uint32_t lowMHz)
{
    for (uint32_t target = highMHz; target >= lowMHz && highMHz - target < kReachScanMHz && target != 0; --target) {
        const uint32_t clock = Reach(pll, target);
        if (clock >= lowMHz && clock <= highMHz)
            return clock;
    }
    return 0;
}

void SearchBegin(ClockSearch* search, ClockReach pll, uint32_t startMHz, uint32_t floorMHz, uint32_t ceilingMHz)
{
    *search = ClockSearch{};
    search->pll = pll;
    search->floor = floorMHz;
    search->ceiling = ceilingMHz;
    search->start = startMHz;
    search->clock = startMHz;
    search->phase = SearchPhase::Climbing;
    if (startMHz > ceilingMHz)
        Finish(search, SearchEnd::AboveCeiling);
}

void SearchStepDone(ClockSearch* search, bool errors)
{
    const uint32_t clock = search->clock;
    switch (search->phase) {
    case SearchPhase::Climbing:
        if (!errors) {
            search->startClean = search->startClean || clock == search->start;
            RememberClean(search, clock);
            Climb(search);
            return;
        }
        search->failing = clock;
        Narrow(search);
        return;
    case SearchPhase::Descending:
    case SearchPhase::Narrowing:
        if (errors)
            search->failing = clock;
        else
            RememberClean(search, clock);
        Narrow(search);
        return;
    case SearchPhase::Confirming:
        if (!errors) {
            Finish(search, search->failing != 0 ? SearchEnd::Found
                           : search->reachEnded ? SearchEnd::AtPllReach
                                                : SearchEnd::AtCeiling);
            return;
        }
        // Clean for a short step, not for a long one: it counts as failing,
        // and the search goes on below it.
        search->failing = clock;
        --search->cleanCount;
        Narrow(search);
        return;
    case SearchPhase::Done:
        return;
    }
}

uint32_t SearchHighestClean(const ClockSearch& search)
{
    return search.cleanCount == 0 ? 0 : search.clean[search.cleanCount - 1];
}

uint32_t SuggestedClock(uint32_t highestCleanMHz)
{
    return highestCleanMHz * (100 - kSuggestionMarginPercent) / 100;
}

uint32_t SearchSuggestion(const ClockSearch& search, SuggestionBounds bounds)
{
    const uint32_t clean = SearchHighestClean(search);
    if (search.phase != SearchPhase::Done || clean == 0)
        return 0;
    uint32_t suggestion = SuggestedClock(clean);
    const uint32_t lowest[] = {bounds.boardFloor, bounds.defaultClock, search.startClean ? search.start : 0};
    for (uint32_t low : lowest) {
        if (suggestion < low)
            suggestion = low;
    }
    return suggestion < clean ? suggestion : clean;
}

uint32_t ReachedClock(uint32_t domain, uint32_t targetMHz)
{
    if (targetMHz <= kHighestUnwrittenClock)
        return 0;
    const uint32_t word = ClockToPllWord(targetMHz, domain);
    if (word == 0)
        return 0;
    return ToWholeMHz(PllWordClockMHz(word, domain));
}
