#pragma once
// The user's settings in HKEY_LOCAL_MACHINE\SOFTWARE\Ostrane\Velkor: the
// reset-on-reboot flag and the slider limits of the board kind they belong
// to, plus the board constants and live clocks that every load starts from.
#include <stdint.h>

#include "settings/registry_keys.h"

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
