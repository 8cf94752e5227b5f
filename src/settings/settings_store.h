#pragma once
// The user's settings in HKEY_LOCAL_MACHINE\SOFTWARE\Ostrane\Velkor: the
// reset-on-reboot flag and the slider limits of the board kind they belong
// to, plus the board constants and live clocks that every load starts from.
#include <stdint.h>

#include "platform/registry.h"

extern const char kSettingsKey[];  // "SOFTWARE\\Ostrane\\Velkor"

// The sliders take their range as two signed 16-bit words: a stored limit or
// clock above this would show and save as a negative or wrapped number.
const uint32_t kLargestSliderClock = 0x7FFF;

// Board constants, stored limits and flag, installation directory and live
// clocks into gApp. Always 1; the registry's state is never reported.
int LoadSettings();
// "Device", "Reboot" and the four limits into the settings key. Saved with
// the reset-on-reboot flag set, the boot records go too (ForgetBootClocks):
// the next start of Windows runs the default clocks. Always 1.
int SaveSettings();

// A stored 32-bit number: read into a 20-byte buffer and taken only when the
// read succeeds, the type is REG_DWORD and at least 4 bytes came back. 1 when
// taken; otherwise 0 and *value is left alone.
int ReadRegistryDword(Registry* registry, RegKey key, const char* name, uint32_t* value);
