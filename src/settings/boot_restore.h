#pragma once
// The log-on side of the kept clocks for newer display drivers: Arbolt.exe
// reads the seed ("Homer") and the scrambled word ("Krusty") that the boot
// store left under the display driver's key, recovers both clocks for the
// board it finds and programs them when this board may run them.
#include <stdint.h>

#include "app_state.h"

// Arbolt.exe's exit codes.
enum class RestoreOutcome : int {
    Programmed = 0,  // the kept clocks were programmed, or the chip already ran at them
    NoBoard = 1,     // no supported board, or its registers could not be mapped
    NoRecord = 2,    // "Homer" or "Krusty" missing, or not a REG_DWORD of at least 4 bytes
    Refused = 3,     // the record decodes to clocks outside this board's floor..ceiling
};

struct KeptClocks {
    uint32_t gfxMHz = 0;
    uint32_t memMHz = 0;
};

// Recovers both clocks from the word with the board's device ID and the seed.
// 1 when each lies within its domain's floor..ceiling for this board kind; a
// record made on another board, or altered, mostly lands far outside and
// gives 0. *clocks holds the decoded values either way.
int DecodeKeptClocks(uint32_t word, uint32_t seed, uint16_t deviceId, BoardKind kind, KeptClocks* clocks);

// Reads the record from the display driver's key + "\NVTweak\Hardware",
// opened for reading only. 1 with *seed and *word set when both values are
// taken; 0 otherwise.
int ReadKeptRecord(uint32_t* seed, uint32_t* word);

// The whole run of the companion on gApp.platform: finds the board as Velkor
// does, reads and checks the record, programs the accepted clocks (a domain
// already at its clock is left alone) and lets the driver go. Writes nothing
// to the registry.
RestoreOutcome RestoreKeptClocks();
