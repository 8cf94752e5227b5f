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

// A stored 32-bit number: read into a 20-byte buffer and taken only when the
// read succeeds, the type is REG_DWORD and at least 4 bytes came back. 1 when
// taken; otherwise 0 and *value is left alone.
int ReadRegistryDword(Registry* registry, RegKey key, const char* name, uint32_t* value);
