#pragma once
// The chip's PLL model: register layout, crystal, DDR rule and the live clock
// readouts. Readouts never cache: each call reads the registers again, and
// they never write to the chip.
#include <stdint.h>

// Byte offsets in the register window.
const uint32_t kGfxPllRegister = 0x680500;     // PllWord of the graphics core clock
const uint32_t kMemPllRegister = 0x680504;     // PllWord of the memory clock
const uint32_t kStrapRegister = 0x101000;      // bit 6: 14.31818 MHz crystal, else 13.5
const uint32_t kMemConfigRegister = 0x100200;  // byte, bit 0: DDR memory (GeForce only)

const uint32_t kStrapCrystal14MHz = 0x40;
const uint8_t kMemConfigDdr = 0x01;

const double kCrystal14MHz = 14.31818;
const double kCrystal13MHz = 13.5;

// PllWord: M in bits 0-7, N in bits 8-15, P in bits 16-18, the rest ignored.
// Output = crystal * N / (M * 2^P).
const uint32_t kPllMMask = 0x000000FF;
const uint32_t kPllNMask = 0x0000FF00;
const uint32_t kPllPMask = 0x00070000;
const int kPllNShift = 8;
const int kPllPShift = 16;

// The bounds method of SetPllSearchLimits(): TNT boards use 3, all others 5.
const int32_t kPllMethodTnt = 3;
const int32_t kPllMethodOther = 5;

struct PllCoefficients {
    int32_t m;
    int32_t n;
    int32_t p;
};

PllCoefficients SplitPllWord(uint32_t word);
// PLL output of a word for a crystal, in MHz, as the chip makes it. A word
// with M = 0 has no usable divider and gives 0.
double PllWordToMHz(uint32_t word, double crystalMHz);
// Whole MHz the way the readouts round: floor, plus one from a half up.
// Anything that is not a positive number gives 0; values past 32 bits saturate.
uint32_t ToWholeMHz(double mhz);

// Live clocks in whole MHz. They need gApp.registers; the memory clock is
// halved on DDR GeForce memory.
uint32_t ReadGfxClock();
uint32_t ReadMemClock();
double ReadCrystalMHz();
// True only on Gravenor/GravenorPro with the DDR bit set; the configuration
// byte is not read at all on the other boards.
bool IsDdrMemory();
// Rewrites gApp.pllLimits for the next floating-point search.
void SetPllSearchLimits(int32_t method);
