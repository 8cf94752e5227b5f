#pragma once
// The clock test's two jobs without windows: "&Test" (passes at the clocks
// applied now until stopped) and "&Find Highest" (steps driven by
// clock_test_search). The dialog calls ClockTestSlice from its timer, so the
// work runs in small slices on the one UI thread and windows stay alive.
//
// Whatever ends a job, the clocks that ran before it are written back and
// read back. A job never saves settings and never writes boot records; it
// keeps only the clock test note (clock_test/note.h) up to date.
#include <stdint.h>

#include "clock_test/core_check.h"
#include "clock_test/engine.h"
#include "clock_test/note.h"
#include "clock_test/search.h"

enum class ClockTestMode : uint32_t { Test, FindHighest };

enum class ClockTestState : uint32_t {
    Idle,
    Running,
    Finished,  // the search is over: see ClockTestJob::search.end
    Stopped,   // "&Stop", "&Close" or exit
    Failed,    // the video memory refused (ClockTestJob::why says why)
};

// A step is never shorter than this many passes over the whole memory per
// pattern of its domain, nor than the seconds per clock; the confirmation
// runs this many times the seconds per clock.
const uint32_t kConfirmTimesLonger = 6;
const uint32_t kSecondsPerClockMin = 1;
const uint32_t kSecondsPerClockMax = 600;
const uint32_t kSecondsPerClockDefault = 10;

// One column of the chart per clock tried.
struct ClockTestColumn {
    uint32_t mhz;
    uint32_t errors;
};
const uint32_t kChartColumns = 40;

struct ClockTestJob {
    ClockTestMode mode;
    ClockTestState state;
    uint32_t domain;  // kGfxDomain or kMemDomain
    uint32_t secondsPerClock;
    uint32_t gfxBefore, memBefore;  // what ran before the job, written back at its end
    ClockTestNote tooHigh;          // the note that stood when the job began
    uint32_t jobStartMs, stepStartMs;
    uint32_t stepClock;
    uint32_t ceiling;
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
// the memory cannot be had (state Failed, `why` says why); nothing changed then.
int ClockTestBegin(ClockTestJob* job, ClockTestMode mode, uint32_t domain, uint32_t secondsPerClock,
                   uint32_t nowMs);
// Does about `bytes` of work. A step that has lasted long enough, or met an
// error, ends here, and the next begins; the last one ends the job.
ClockTestState ClockTestSlice(ClockTestJob* job, uint32_t bytes, uint32_t nowMs);
// Ends a running job ("&Stop", "&Close", exit). Nothing when none runs.
void ClockTestStop(ClockTestJob* job);

// Whether a job runs (the main window's "&Apply", limits and boot store wait).
bool ClockTestRunning(const ClockTestJob& job);
// How far the current step is, 0..100 (Test: the current round of patterns).
uint32_t ClockTestStepPercent(const ClockTestJob& job, uint32_t nowMs);
// The clock the search suggests once Finished with a clean clock, else 0.
uint32_t ClockTestSuggestion(const ClockTestJob& job);
