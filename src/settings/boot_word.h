#pragma once
// The scrambled boot word ("Krusty") that carries both kept clocks to the
// log-on companion: low half the graphics clock, high half the memory clock,
// each folded with the PCI device ID and a form of the seed ("Homer").
#include <stdint.h>

const uint32_t kBootWordLowMask = 0x3D4B;   // scrambles the seed for the low half
const uint32_t kBootWordHighMask = 0x61C7;  // scrambles the whole high half

// Only the low 16 bits of each clock are carried.
uint32_t ScrambleBootClocks(uint32_t gfxMHz, uint32_t memMHz, uint16_t deviceId, uint32_t seed);

// The inverse, for a reader that knows the seed and the device ID: gives back
// the low 16 bits of both clocks.
void UnscrambleBootClocks(uint32_t word, uint16_t deviceId, uint32_t seed, uint32_t* gfxMHz,
                          uint32_t* memMHz);
