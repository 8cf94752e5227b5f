#pragma once
// The clock test's note in the settings key, so that a clock which stopped
// the machine is known at the next start. Before each clock is programmed the
// test writes it here as unfinished; when the step ends the note goes back to
// what it was. A start that finds an unfinished note tells the user once and
// keeps the clock as "too high": a search then stays below it, and a clean
// test at or above it clears it.
//
// One REG_DWORD, "Clock Test": bits 0-15 the clock in MHz, bit 16 set for the
// graphics core clock (clear for the memory clock), bit 31 set once the user
// has been told (the clock is then too high, no longer unfinished).
#include <stdint.h>

struct ClockTestNote {
    uint32_t mhz;     // 0: no note
    uint32_t domain;  // kGfxDomain or kMemDomain
    bool told;        // false: a step at this clock never ended
};

ClockTestNote ReadClockTestNote();
// A note with mhz 0 removes the value.
void WriteClockTestNote(const ClockTestNote& note);

// At start: an unfinished note, marked as told from now on (so the user hears
// of it once). mhz 0 when there is none.
ClockTestNote TakeUnfinishedClockTest();

// The highest clock a search of `domain` may try: the limit maximum, and
// below a clock that is too high for that domain.
uint32_t SearchCeiling(uint32_t limitMaxMHz, uint32_t domain, const ClockTestNote& tooHigh);
