#include "settings/registry_keys.h"

#include <string.h>

const char kSettingsKey[] = "SOFTWARE\\Ostrane\\Velkor";
const char kRivaTntSystemKey[] = "SOFTWARE\\NVIDIA Corporation\\RIVA TNT\\System";
const char kFallbackDriverKey[] = "SOFTWARE\\NVIDIA Corporation\\RIVA TNT";
const char kDriverTweakSubkey[] = "\\NVTweak\\Hardware";
const char kRunKey[] = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Run";
const char kCompanionFileName[] = "\\Arbolt.exe";

const char kPathValue[] = "Path";
const char kRebootValue[] = "Reboot";
const char kDeviceValue[] = "Device";
const char kGfxMinValue[] = "GFX Min";
const char kGfxMaxValue[] = "GFX Max";
const char kMemMinValue[] = "MEM Min";
const char kMemMaxValue[] = "MEM Max";
const char kGfxBootValue[] = "Gracie";
const char kMemBootValue[] = "George";
const char kClockTestValue[] = "Clock Test";
const char kClockTestCoreValue[] = "Clock Test Core";
const char kBootSeedValue[] = "Homer";
const char kBootWordValue[] = "Krusty";
const char kRunValue[] = "NvInitialize";

int ReadRegistryDword(Registry* registry, RegKey key, const char* name, uint32_t* value)
{
    uint8_t buffer[20];
    memset(buffer, 0, sizeof buffer);
    uint32_t type = 0;
    uint32_t size = sizeof buffer;
    if (!registry->QueryValue(key, name, &type, buffer, &size))
        return 0;
    // A REG_DWORD shorter than 4 bytes would leave part of the number unset.
    if (type != kRegDword || size < 4)
        return 0;
    *value = static_cast<uint32_t>(buffer[0]) | static_cast<uint32_t>(buffer[1]) << 8 |
             static_cast<uint32_t>(buffer[2]) << 16 | static_cast<uint32_t>(buffer[3]) << 24;
    return 1;
}
