#pragma once
// How much video memory the board carries, from the chip's own memory
// configuration: the clock test sizes its simulated memory by it and refuses
// to run on a part that shares system memory.
#include <stdint.h>

#include "app_state.h"

// Megabytes of video memory: TNT family from register 0x100000 bits 1:0
// (0 = 32, 1 = 4, 2 = 8, 3 = 16 MiB), GeForce 256 from register 0x10020C
// bits 31:20. 0 for a part that shares system memory (bit 8 of 0x100000 on
// the TNT family) or an unknown kind.
uint32_t ReadVideoMemoryMiB(BoardKind kind, RegisterWindow* registers);
