#include "clock_test/note.h"

#include "app_state.h"
#include "clock/pll_search.h"
#include "settings/registry_keys.h"

namespace {

const uint32_t kClockBits = 0xFFFF;
const uint32_t kGraphicsBit = 1u << 16;
const uint32_t kToldBit = 1u << 31;

const char* ValueName(uint32_t domain)
{
    return domain == kGfxDomain ? kClockTestCoreValue : kClockTestValue;
}

bool ReadValue(Registry* registry, RegKey key, const char* name, uint32_t* value)
{
    return ReadRegistryDword(registry, key, name, value) != 0;
}

ClockTestNote Decode(uint32_t value)
{
    return ClockTestNote{value & kClockBits, (value & kGraphicsBit) ? kGfxDomain : kMemDomain,
                         (value & kToldBit) != 0};
}

}  // namespace

ClockTestNote ReadClockTestNote(uint32_t domain)
{
    ClockTestNote note = {0, domain, false};
    Registry* registry = gApp.platform.registry;
    RegKey key;
    if (!registry->OpenForRead(kSettingsKey, &key))
        return note;
    uint32_t value = 0;
    // The core's own value first; then "Clock Test", which an older Velkor
    // kept for both domains and which names its domain in bit 16.
    if ((domain == kGfxDomain && ReadValue(registry, key, kClockTestCoreValue, &value)) ||
        (ReadValue(registry, key, kClockTestValue, &value) && Decode(value).domain == domain)) {
        note = Decode(value);
        note.domain = domain;
    }
    registry->Close(key);
    const ClockDomain& clocks = domain == kGfxDomain ? gApp.gfx : gApp.mem;
    if (note.mhz != 0 && (note.mhz < clocks.floor || note.mhz > clocks.ceiling)) {
        WriteClockTestNote(ClockTestNote{0, domain, false});
        note.mhz = 0;
    }
    return note;
}

void WriteClockTestNote(const ClockTestNote& note)
{
    Registry* registry = gApp.platform.registry;
    RegKey key;
    if (!registry->Create(kSettingsKey, &key))
        return;
    uint32_t old = 0;
    // The core's note moves out of the memory clock's value for good.
    if (note.domain == kGfxDomain && ReadValue(registry, key, kClockTestValue, &old) && (old & kGraphicsBit))
        registry->DeleteValue(key, kClockTestValue);
    if (note.mhz == 0) {
        registry->DeleteValue(key, ValueName(note.domain));
    } else {
        uint32_t value = note.mhz & kClockBits;
        if (note.domain == kGfxDomain)
            value |= kGraphicsBit;
        if (note.told)
            value |= kToldBit;
        registry->SetDword(key, ValueName(note.domain), value);
    }
    registry->Close(key);
}

ClockTestNote TakeUnfinishedClockTest()
{
    const uint32_t domains[] = {kMemDomain, kGfxDomain};
    for (uint32_t domain : domains) {
        ClockTestNote note = ReadClockTestNote(domain);
        if (note.mhz == 0 || note.told)
            continue;
        note.told = true;
        WriteClockTestNote(note);
        return note;
    }
    return ClockTestNote{0, kMemDomain, false};
}

uint32_t SearchCeiling(uint32_t limitMaxMHz, uint32_t boardCeilingMHz, const ClockTestNote& tooHigh)
{
    uint32_t ceiling = limitMaxMHz < boardCeilingMHz ? limitMaxMHz : boardCeilingMHz;
    if (tooHigh.mhz != 0 && tooHigh.mhz <= ceiling)
        ceiling = tooHigh.mhz - 1;
    return ceiling;
}
