#pragma once
// Records kept clocks so that they are set again after Windows restarts:
// in MHz in the settings key, then either as PLL words for an older display
// driver or as the scrambled word plus a log-on entry for the companion.
#include <stdint.h>

#include "settings/companion_paths.h"
#include "settings/registry_keys.h"

// Display drivers from this build on read the companion's records.
const uint32_t kFirstCompanionDriverBuild = 320;

// Stores gfx.pendingBoot and mem.pendingBoot, re-reads both baselines and
// clears both pending clocks. With nothing pending the registry is left as
// it is. Always 1.
int StoreBootClocks();

// The user resets to the defaults on reboot: nothing kept is pending any
// more, and what earlier stores left for the next boot is removed by the
// uninstaller's rules (the Run entry only when it starts this companion).
// Always 1.
int ForgetBootClocks();
