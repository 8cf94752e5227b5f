#include "clock_test/note.h"

#include "app_state.h"
#include "clock/pll_search.h"
#include "settings/registry_keys.h"

namespace {

const uint32_t kClockBits = 0xFFFF;
const uint32_t kGraphicsBit = 1u << 16;
const uint32_t kToldBit = 1u << 31;

}  // namespace

ClockTestNote ReadClockTestNote()
{
    ClockTestNote note = {0, kMemDomain, false};
    Registry* registry = gApp.platform.registry;
    RegKey key;
    if (!registry->OpenForRead(kSettingsKey, &key))
        return note;
    uint32_t value = 0;
    if (ReadRegistryDword(registry, key, kClockTestValue, &value)) {
        note.mhz = value & kClockBits;
        note.domain = (value & kGraphicsBit) ? kGfxDomain : kMemDomain;
        note.told = (value & kToldBit) != 0;
    }
    registry->Close(key);
    return note;
}

void WriteClockTestNote(const ClockTestNote& note)
{
    Registry* registry = gApp.platform.registry;
    RegKey key;
    if (!registry->Create(kSettingsKey, &key))
        return;
    if (note.mhz == 0) {
        registry->DeleteValue(key, kClockTestValue);
    } else {
        uint32_t value = note.mhz & kClockBits;
        if (note.domain == kGfxDomain)
            value |= kGraphicsBit;
        if (note.told)
            value |= kToldBit;
        registry->SetDword(key, kClockTestValue, value);
    }
    registry->Close(key);
}

ClockTestNote TakeUnfinishedClockTest()
{
    ClockTestNote note = ReadClockTestNote();
    if (note.mhz == 0 || note.told)
        return ClockTestNote{0, kMemDomain, false};
    note.told = true;
    WriteClockTestNote(note);
    return note;
}

uint32_t SearchCeiling(uint32_t limitMaxMHz, uint32_t domain, const ClockTestNote& tooHigh)
{
    if (tooHigh.mhz != 0 && tooHigh.domain == domain && tooHigh.mhz <= limitMaxMHz)
        return tooHigh.mhz - 1;
    return limitMaxMHz;
}
