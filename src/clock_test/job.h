#pragma once
// The clock test's two jobs without windows: "&Test" (rounds of patterns at
// the clocks applied now until stopped) and "&Find Highest" (steps driven by
// clock_test_search). The dialog calls ClockTestSlice from its timer, so the
// work runs in small slices on the one UI thread and windows stay alive.
// Everything the dialog shows about a job comes from here: it decides nothing.
//
// Whatever ends a job, the PLL words that were on the chip before it are
// written back exactly and read back. A job never saves settings, never
// changes a limit and never writes boot records; it keeps only the clock test
// notes (clock_test/note.h) up to date.
#include <stdint.h>

#include "clock_test/core_check.h"
#include "clock_test/engine.h"
#include "clock_test/note.h"
#include "clock_test/search.h"

enum class ClockTestMode : uint32_t { Test, FindHighest };

enum class ClockTestState : uint32_t {
    Idle,
    Running,
    Finished,  // the search is over: ClockTestJob::end says how
    Stopped,   // "&Stop", "&Close", exit or Windows ending
    Failed,    // the video memory refused (ClockTestJob::why says why)
};

// Why a job ended.
enum class ClockTestEnd : uint32_t {
    None,          // it runs, or never ran
    AboveCeiling,  // the clock applied now is above the highest the search may try: no step ran
    NoneClean,     // errors at the clock applied now and at every clock below it down to the limit minimum
    Found,         // errors above the highest clean clock
    CleanToNote,   // clean up to just below a clock that stopped the machine earlier
    CleanToLimit,  // clean up to the limit maximum (or the board's ceiling below it)
    CleanToReach,  // clean up to the highest clock the PLL reaches below the limit
    Stopped,
    Failed,
};

// A step is never shorter than one round (every pattern of its domain once
// over the whole memory), nor than the seconds per clock; the confirmation
// runs this many times the seconds per clock.
const uint32_t kConfirmTimesLonger = 6;
const uint32_t kSecondsPerClockMin = 1;
const uint32_t kSecondsPerClockMax = 600;
const uint32_t kSecondsPerClockDefault = 10;

// One column of the chart per clock tried.
struct ClockTestColumn {
    uint32_t mhz;
    uint32_t errors;
    bool confirming;  // the longer run of the highest clean clock
};
const uint32_t kChartColumns = 40;

struct ClockTestJob {
    ClockTestMode mode;
    ClockTestState state;
    ClockTestEnd end;
    uint32_t domain;  // kGfxDomain or kMemDomain
    uint32_t secondsPerClock;
    uint32_t gfxWordBefore, memWordBefore;  // the PLL words before the job, written back at its end
    uint32_t clockBefore;                   // the tested domain's clock before the job, MHz
    uint32_t gfxSelectedBefore, memSelectedBefore;  // the sliders before the job
    ClockTestNote tooHigh;                  // the domain's note that stood when the job began
    uint32_t jobStartMs, stepStartMs;
    uint32_t stepClock;
    uint32_t steps;     // steps begun so far
    uint32_t floor;     // lowest clock a search steps down to
    uint32_t ceiling;   // highest clock a search may try
    uint32_t suggestion;  // once Finished: the clock put on the slider, 0 for none
    bool suggestionHeldUp;  // the floor, the default or a clean start kept it above the margin
    bool startErred;        // Find Highest: the clock applied now had errors
    uint32_t testedMiB, boardMiB;  // the video memory the test covers, of the board's whole
    MemTest test;
    CoreCheck core;  // the graphics core domain: the 3D render beside the copies
    ClockSearch search;
    ClockTestColumn columns[kChartColumns];
    uint32_t columnCount;  // the oldest columns scroll out
    char why[96];
};

// Whether the test can run here (the video memory is opened and given back);
// 0 with the reason in `why` when not.
int ClockTestAvailable(char* why, uint32_t whySize);
// Opens the video memory and starts the job at the clocks applied now. 0 when
// a job already runs (it goes on untouched) or the memory cannot be had
// (state Failed, `why` says why; nothing changed on the chip).
int ClockTestBegin(ClockTestJob* job, ClockTestMode mode, uint32_t domain, uint32_t secondsPerClock,
                   uint32_t nowMs);
// Does about `bytes` of work. A step that has lasted long enough, or met an
// error, ends here, and the next begins; the last one ends the job.
ClockTestState ClockTestSlice(ClockTestJob* job, uint32_t bytes, uint32_t nowMs);
// Ends a running job ("&Stop", "&Close", exit, Windows ending). Nothing when
// none runs.
void ClockTestStop(ClockTestJob* job);

// Whether a job runs (the main window's "&Apply", limits and boot store wait).
bool ClockTestRunning(const ClockTestJob& job);

// "Seconds per clock" as typed: 1 when it is a whole number from
// kSecondsPerClockMin to kSecondsPerClockMax (spaces around allowed).
int ParseSecondsPerClock(const char* text, uint32_t* seconds);

// Where a job stands, for the progress bar and the status line.
struct ClockTestProgress {
    uint32_t stepPercent;  // the current step (Test: the current round), 0..100
    uint32_t step;         // Find Highest: the step now running, from 1
    uint32_t aboutSteps;   // and about how many there will be
    uint32_t secondsLeft;  // about how long the search still runs
    uint32_t rounds;       // rounds (every pattern once) completed in this step
};
ClockTestProgress ClockTestProgressNow(const ClockTestJob& job, uint32_t nowMs);
// What the step runs now: the memory pattern ("moving inversions"), or for the
// graphics core the reference frame, the render or the copies.
const char* ClockTestPatternName(const ClockTestJob& job);
