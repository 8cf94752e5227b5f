#pragma once
// Turning a wanted clock into a PLL word: the floating-point search (TNT
// boards) and the integer search (every other board). Both work on
// process-wide records (gApp.pllLimits, gApp.bestAbove, gApp.bestBelow), so
// conversions must not overlap; everything runs on the UI thread.
#include <stdint.h>

#include "board/chip_registers.h"

// The bounds method of SetPllSearchLimits(): TNT boards use 3, all others 5.
const int32_t kPllMethodTnt = 3;
const int32_t kPllMethodOther = 5;

// Rewrites gApp.pllLimits for the next floating-point search.
void SetPllSearchLimits(int32_t method);

// The PllWord for a clock in whole MHz of one domain, or 0 when no valid
// coefficients were found; 0 is never a valid word. The memory target is
// doubled on DDR GeForce memory. Needs gApp.registers (crystal, DDR bit).
uint32_t ClockToPllWord(uint32_t mhz, uint32_t domain);

// Runs one of the two searches for a target in MHz. 1 with *coefficients
// filled, 0 when the floating-point search found nothing (*coefficients is
// then untouched). The integer search always reports 1; an all-zero triple
// is its "nothing found".
int SearchPll(double targetMHz, PllCoefficients* coefficients, double crystalMHz, bool useIntegerSearch);

const int kPllNoCandidate = 0;
const int kPllTakeAbove = 1;
const int kPllTakeBelow = 2;

// Exhaustive search within gApp.pllLimits for a target in Hz. Leaves the best
// candidates at or above and below the target in gApp.bestAbove and
// gApp.bestBelow and says which one to take.
int SearchPllFloat(double targetHz, double crystalMHz);

// Search in 32-bit unsigned kHz arithmetic with fixed bounds. Writes 0, 0, 0
// when nothing was found.
void SearchPllInteger(uint32_t target10kHz, uint16_t* m, uint16_t* n, uint16_t* p, uint32_t crystalKHz);
