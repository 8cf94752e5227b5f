#pragma once
// The only code that changes the chip's clocks. Callers learn the outcome by
// reading the clocks again; nothing here reports it.
#include <stdint.h>

// Clocks up to this many MHz are never written: they stand for "leave alone".
const uint32_t kHighestUnwrittenClock = 33;

// Programs the graphics PLL, then the memory PLL. A clock of 33 MHz or less
// (0 included) leaves its domain untouched, and so does a clock for which no
// coefficients exist. GeForce boards get a display mode reset afterwards when
// the last word computed was valid.
void ApplyClocks(uint32_t gfxMHz, uint32_t memMHz);
// Puts the PLL words read earlier back exactly as they were (a whole MHz
// would only come close to them), each by the two-step write and only where
// the live word differs; GeForce boards get the display mode reset when a
// word was written. A word with M = 0 is left alone.
void RestorePllWords(uint32_t gfxWord, uint32_t memWord);
// Two-step write at a PLL register (offset lowered to a multiple of 4): an
// intermediate word carrying the larger post-divider, 100 ms and four reads to
// let the PLL settle, then the new word. A word with M = 0 is no usable
// divider and is not written.
void WritePllWord(uint32_t offset, uint32_t newWord);
// ChangeDisplaySettingsA(NULL, CDS_RESET) through the platform; 1 on success.
int ResetDisplayMode();
