#pragma once
// "Find Highest" without windows, memory or time: which clock to try next,
// given how the clocks tried so far came out. The job (job.h)
// runs each step for as long as it must and reports clean or not; this
// decides the next step, and when the search is over, what was found.
//
// Climbing: from the clock applied now, up by about 3 MHz a step, never
// above the ceiling. Descending: when the clock it starts at already errs,
// down by about 3 MHz a step, never below the floor, until one runs clean.
// Narrowing: after the first error, between the highest clean clock and the
// lowest failing one. Confirming: the highest clean clock once more, for
// longer (also when the climb could go no higher); errors there send the
// search back below it.
#include <stdint.h>

// What the PLL makes of a wanted clock once written and read back, in whole
// MHz (0: it cannot be written). The job asks the chip's own PLL search.
struct ClockReach {
    uint32_t (*reach)(void* context, uint32_t targetMHz);
    void* context;
};

// How far a climbing step goes.
const uint32_t kClimbStepMHz = 3;
// The suggestion stays this many per cent below the highest clean clock.
const uint32_t kSuggestionMarginPercent = 5;
// A climb that finds no clock the PLL reaches within this many MHz above the
// last one has reached the PLL's end: the scan for the next clock stays short
// whatever the ceiling (a hand-edited limit may be far past any PLL's reach).
const uint32_t kReachScanMHz = 24;
// At most this many clean clocks are remembered: far more steps than there are
// between any board's lowest clock and its highest limit.
const uint32_t kSearchMemory = 96;

enum class SearchPhase : uint32_t { Climbing, Descending, Narrowing, Confirming, Done };

enum class SearchEnd : uint32_t {
    None,        // still searching
    Found,         // errors above the highest clean clock
    AtCeiling,     // no errors up to the highest clock allowed
    AtPllReach,    // no errors up to the highest clock the PLL reaches below the ceiling
    NoneClean,     // errors at every clock from the start down to the floor
    AboveCeiling,  // it starts above the ceiling: no step ran
};

struct ClockSearch {
    ClockReach pll;
    uint32_t floor;       // lowest clock a step may use
    uint32_t ceiling;     // highest clock a step may use
    uint32_t start;       // the clock the search started at
    bool startClean;      // whether that clock ran clean (its confirmation aside)
    bool reachEnded;      // the climb stopped below the ceiling: the PLL reaches no higher
    SearchPhase phase;
    SearchEnd end;
    uint32_t clock;       // the clock of the step to run now
    uint32_t failing;     // lowest clock seen with errors, 0 = none yet
    uint32_t clean[kSearchMemory];  // clean clocks, ascending; the last is the highest
    uint32_t cleanCount;
};

// Starts at `startMHz` (the clock applied now; its step comes first). A start
// above the ceiling ends the search at once without a step (AboveCeiling).
void SearchBegin(ClockSearch* search, ClockReach pll, uint32_t startMHz, uint32_t floorMHz, uint32_t ceilingMHz);
// The step at search->clock has ended, with errors or without. Sets the next
// clock, or phase Done with the end.
void SearchStepDone(ClockSearch* search, bool errors);
// Whether the step now due is the confirmation (it runs longer).
inline bool SearchConfirming(const ClockSearch& search)
{
    return search.phase == SearchPhase::Confirming;
}
// The highest clock that ran clean, 0 when none.
uint32_t SearchHighestClean(const ClockSearch& search);

// The clock to suggest for a highest clean clock: kSuggestionMarginPercent
// less, rounded down to a whole MHz.
uint32_t SuggestedClock(uint32_t highestCleanMHz);

// The suggestion once the search is over, 0 when nothing ran clean: the
// margin below the highest clean clock, but never below the board's floor,
// its default clock, or the clock the search started from when that one ran
// clean; and never above the highest clean clock itself.
struct SuggestionBounds {
    uint32_t boardFloor, defaultClock;
};
uint32_t SearchSuggestion(const ClockSearch& search, SuggestionBounds bounds);

// The clock the chip runs at after `targetMHz` is written to `domain`'s PLL
// (as ApplyClocks writes it, and the readouts read it), 0 when it cannot be
// written.
uint32_t ReachedClock(uint32_t domain, uint32_t targetMHz);

// The lowest clock the PLL reaches within [fromMHz, toMHz], 0 when none.
// Looks at no more than kReachScanMHz wanted clocks.
uint32_t ReachableFrom(ClockReach pll, uint32_t fromMHz, uint32_t toMHz);
// The highest clock the PLL reaches within [lowMHz, highMHz], 0 when none;
// as bounded.
uint32_t ReachableDownFrom(ClockReach pll, uint32_t highMHz, uint32_t lowMHz);
