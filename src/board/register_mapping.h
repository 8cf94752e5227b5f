#pragma once
// The chip's registers without VELKOR.VXD, and the check that a mapping,
// however it was made, has a chip behind it.
#include <stdint.h>

#include "app_state.h"

// The pieces of the aperture Velkor touches, page-aligned: the identification
// register, the memory configuration and strap registers (two neighbouring
// pages, one call) and the PLL page. Large DPMI mappings fail on some
// machines, so nothing more is asked for.
extern const RegisterRange kMappedRanges[kMappedRangeCount];

// Maps those pieces of the aperture at `registerPhysical` (its flag bits
// ignored) through `memory`, only once per run: a mapping cannot be undone.
// The window over them, or null.
RegisterWindow* MapRegistersWithoutDriver(PhysicalMemory* memory, uint32_t registerPhysical);

// 1 when a chip answers behind the window: its identification register,
// read under a guard, neither faults nor reads 0 or all ones. Nothing else
// is judged: a real board must never be refused for a value not foreseen.
int ChipAnswers(RegisterWindow* registers);
