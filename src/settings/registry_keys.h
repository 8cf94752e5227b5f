#pragma once
// Where Velkor's settings and boot records live under HKEY_LOCAL_MACHINE, and
// how a stored number is read: the ground the settings code stands on.
#include <stdint.h>

#include "platform/registry.h"

extern const char kSettingsKey[];         // "SOFTWARE\\Ostrane\\Velkor"
extern const char kRivaTntSystemKey[];    // "SOFTWARE\\NVIDIA Corporation\\RIVA TNT\\System"
extern const char kFallbackDriverKey[];   // "SOFTWARE\\NVIDIA Corporation\\RIVA TNT"
extern const char kDriverTweakSubkey[];   // "\\NVTweak\\Hardware"
extern const char kRunKey[];              // "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Run"
extern const char kCompanionFileName[];   // "\\Arbolt.exe"

// Value names. In the settings key: the install folder, the user's flag and
// limits, the board kind they belong to, the kept clocks in MHz and the clock
// test's note; the older display drivers' System key holds the kept clocks
// as PLL words under the same two names.
extern const char kPathValue[];            // "Path"
extern const char kRebootValue[];          // "Reboot"
extern const char kDeviceValue[];          // "Device"
extern const char kGfxMinValue[];          // "GFX Min"
extern const char kGfxMaxValue[];          // "GFX Max"
extern const char kMemMinValue[];          // "MEM Min"
extern const char kMemMaxValue[];          // "MEM Max"
extern const char kGfxBootValue[];         // "Gracie"
extern const char kMemBootValue[];         // "George"
extern const char kClockTestValue[];       // "Clock Test"
extern const char kClockTestCoreValue[];   // "Clock Test Core"
// Under the display driver's key + kDriverTweakSubkey: the seed and the
// scrambled word with both kept clocks, for the companion.
extern const char kBootSeedValue[];        // "Homer"
extern const char kBootWordValue[];        // "Krusty"
// Under kRunKey: the log-on entry that starts the companion.
extern const char kRunValue[];             // "NvInitialize"

// A stored 32-bit number: read into a 20-byte buffer and taken only when the
// read succeeds, the type is REG_DWORD and at least 4 bytes came back. 1 when
// taken; otherwise 0 and *value is left alone.
int ReadRegistryDword(Registry* registry, RegKey key, const char* name, uint32_t* value);
