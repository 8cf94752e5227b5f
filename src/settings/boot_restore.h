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
    // The record is not what Velkor keeps for this board: it decodes to clocks
    // outside the board's floor..ceiling or other than the settings key's, the
    // settings key names another board kind, or the user resets on reboot.
    Refused = 3,
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

// The clocks Velkor's settings key holds for the next boot of this board
// kind ("Gracie"/"George", each the default when absent) into *clocks. 1 only
// when "Device" names this kind and "Reboot" is stored as 0; the key is
// opened for reading only.
int ReadClocksKeptForBoard(BoardKind kind, KeptClocks* clocks);

// Reads the record from the display driver's key + "\NVTweak\Hardware",
// opened for reading only. 1 with *seed and *word set when both values are
// taken; 0 otherwise.
int ReadKeptRecord(uint32_t* seed, uint32_t* word);

// 1 when the records for the next boot of the detected board agree with
// what Velkor's settings key keeps for it, as a boot restore checks them:
// "Device" names this board kind, "Reboot" is stored as 0, and the record the
// display driver's build reads ("Krusty" for the companion, else the older
// driver's PLL words) gives the settings key's clocks. Reads only.
int BootRecordAgrees();

// The whole run of the companion on gApp.platform: finds the board as Velkor
// does, reads the record and programs it only when it decodes to exactly
// what the settings key keeps for this board. The range check alone cannot
// tell: related boards differ in low bits of the device ID, and an altered
// seed or word still decodes to plausible clocks. Programs the clocks (a domain
// already at its clock is left alone) and lets the driver go. Writes nothing
// to the registry.
RestoreOutcome RestoreKeptClocks();
