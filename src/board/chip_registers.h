#pragma once
// The chip's registers as Velkor uses them: where each one sits in the
// register window, what its bits mean, and the readouts made of them (the
// live clocks and the video memory's size). Everything above the board floor
// reaches the chip through these names; the clock engine's searches and
// writes build on the PLL word layout given here.
#include <stdint.h>

#include "app_state.h"

// Byte offsets in the register window.
const uint32_t kChipIdRegister = 0x000000;             // PMC boot register: the chip's identification
const uint32_t kTntMemoryRegister = 0x100000;          // TNT family: bits 1:0 size code, bit 8 shared memory
const uint32_t kMemConfigRegister = 0x100200;          // byte, bit 0: DDR memory (GeForce 256 only)
const uint32_t kGeForceMemorySizeRegister = 0x10020C;  // GeForce 256: bits 31:20 size in MiB
const uint32_t kStrapRegister = 0x101000;              // bit 6: 14.31818 MHz crystal, else 13.5
const uint32_t kGfxPllRegister = 0x680500;             // PllWord of the graphics core clock
const uint32_t kMemPllRegister = 0x680504;             // PllWord of the memory clock

const uint32_t kStrapCrystal14MHz = 0x40;
const uint8_t kMemConfigDdr = 0x01;
const uint32_t kTntSharedMemory = 0x100;
const int kGeForceMemorySizeShift = 20;

const double kCrystal14MHz = 14.31818;
const double kCrystal13MHz = 13.5;

// PllWord: M in bits 0-7, N in bits 8-15, P in bits 16-18, the rest ignored.
// Output = crystal * N / (M * 2^P).
const uint32_t kPllMMask = 0x000000FF;
const uint32_t kPllNMask = 0x0000FF00;
const uint32_t kPllPMask = 0x00070000;
const int kPllNShift = 8;
const int kPllPShift = 16;

// The two clock domains, each with its own PLL.
const uint32_t kGfxDomain = 0;
const uint32_t kMemDomain = 1;

struct PllCoefficients {
    int32_t m;
    int32_t n;
    int32_t p;
};

// The GeForce 256 boards (Gravenor, GravenorPro): DDR memory is possible, the
// memory size sits in its own register, and a clock change resets the display.
bool IsGeForce(BoardKind kind);

PllCoefficients SplitPllWord(uint32_t word);
// PLL output of a word for a crystal, in MHz, as the chip makes it. A word
// with M = 0 has no usable divider and gives 0.
double PllWordToMHz(uint32_t word, double crystalMHz);
// Whole MHz the way the readouts round: floor, plus one from a half up.
// Anything that is not a positive number gives 0; values past 32 bits saturate.
uint32_t ToWholeMHz(double mhz);

// What follows needs gApp.registers (and gApp.boardKind for the DDR rule).
double ReadCrystalMHz();
// True only on a GeForce 256 with the DDR bit set; the configuration byte is
// not read at all on the other boards.
bool IsDdrMemory();
// The clock a PLL word makes in a domain on this board, in MHz: the crystal
// from the strap, and the memory PLL of DDR memory running at twice the
// memory clock, so halved. Reads the strap, then (memory only) the DDR byte.
double PllWordClockMHz(uint32_t word, uint32_t domain);
// Live clocks in whole MHz. They never cache: each call reads the registers
// again, and they never write to the chip.
uint32_t ReadGfxClock();
uint32_t ReadMemClock();

// Megabytes of video memory: TNT family from the size code (0 = 32, 1 = 4,
// 2 = 8, 3 = 16 MiB), GeForce 256 from its size register. 0 for a part that
// shares system memory (the TNT family's shared bit) or an unknown kind. The
// clock test refuses to run on such a part.
uint32_t ReadVideoMemoryMiB(BoardKind kind, RegisterWindow* registers);
