#pragma once
// Records kept clocks so that they are set again after Windows restarts:
// in MHz in the settings key, then either as PLL words for an older display
// driver or as the scrambled word plus a log-on entry for the companion.
#include <stdint.h>

// Display drivers from this build on read the companion's records.
const uint32_t kFirstCompanionDriverBuild = 320;

extern const char kRivaTntSystemKey[];    // "SOFTWARE\\NVIDIA Corporation\\RIVA TNT\\System"
extern const char kFallbackDriverKey[];   // "SOFTWARE\\NVIDIA Corporation\\RIVA TNT"
extern const char kDriverTweakSubkey[];   // "\\NVTweak\\Hardware"
extern const char kRunKey[];              // "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Run"
extern const char kCompanionFileName[];   // "\\Arbolt.exe"

// Stores gfx.pendingBoot and mem.pendingBoot, re-reads both baselines and
// clears both pending clocks. Always 1.
int StoreBootClocks();

// The log-on entry's text: installPath + "\Arbolt.exe" when "Path" gave a
// folder that fits; otherwise the companion beside the running program, in
// short form, when it is there. 0 (and an empty text) when there is none: a
// start of a file that does not exist would lose the kept clocks unseen.
int GetCompanionCommand(char* command, uint32_t size);

// The user resets to the defaults on reboot: nothing kept is pending any
// more, and what earlier stores left for the next boot is removed by the
// uninstaller's rules (the Run entry only when it starts this companion).
// Always 1.
int ForgetBootClocks();

// The display driver's registry key, relative to HKEY_LOCAL_MACHINE. The
// driver is asked once a run; without an answer the fixed key serves.
const char* GetDisplayDriverKey();

// The companion's record key: the display driver's key + "\NVTweak\Hardware".
// 0 (and an empty path) when the two do not fit together: a cut-off path
// would name another key.
int GetCompanionRecordKey(char* path, uint32_t size);
