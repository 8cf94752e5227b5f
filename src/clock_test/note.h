#pragma once
// The clock test's notes in the settings key, so that a clock which stopped
// the machine is known at the next start. Before each clock is programmed the
// test writes it in its domain's note as unfinished; when the step ends the
// note goes back to what it was. A start that finds an unfinished note tells
// the user once and keeps the clock as "too high": a search of that domain
// then stays below it, and a clean test at or above it clears it.
//
// One REG_DWORD per domain: "Clock Test" for the memory clock, "Clock Test
// Core" for the graphics core clock, so that a hang in one search never
// overwrites what the other learnt. Bits 0-15 the clock in MHz, bit 16 set
// for the graphics core clock, bit 31 set once the user has been told (the
// clock is then too high, no longer unfinished). An older Velkor kept a
// graphics core note in "Clock Test" (bit 16 set): it is still read, and the
// next note of that domain moves it to its own value.
#include <stdint.h>

struct ClockTestNote {
    uint32_t mhz;     // 0: no note
    uint32_t domain;  // kGfxDomain or kMemDomain
    bool told;        // false: a step at this clock never ended
};

// The domain's note. One outside the domain's floor..ceiling is no clock this
// board runs: it is removed and counts as none.
ClockTestNote ReadClockTestNote(uint32_t domain);
// Writes the note of note.domain; mhz 0 removes it.
void WriteClockTestNote(const ClockTestNote& note);

// At start: an unfinished note (the memory clock's first), marked as told
// from now on, so the user hears of it once. mhz 0 when there is none.
ClockTestNote TakeUnfinishedClockTest();

// The highest clock a search of a domain may try: the limit maximum, at most
// the board's ceiling, and below a clock that is too high for the domain.
uint32_t SearchCeiling(uint32_t limitMaxMHz, uint32_t boardCeilingMHz, const ClockTestNote& tooHigh);
