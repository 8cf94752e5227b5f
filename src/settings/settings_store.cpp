#include "settings/settings_store.h"

#include <string.h>

#include "app_state.h"
#include "board/board_table.h"
#include "board/chip_registers.h"
#include "clock/clock_programming.h"
#include "settings/boot_restore.h"
#include "settings/boot_store.h"

// "Device" when nothing usable is stored: matches no board kind.
static const uint32_t kNoStoredDevice = 999;

// "Path" is asked for with room for 254 characters and their NUL.
static const uint32_t kPathRequestBytes = 255;

// installPath changes only when "Path" is a string that fits; a value that is
// too long, of another type or missing leaves the earlier text. A string
// stored without its NUL ends after its last byte.
static void ReadInstallPath(Registry* registry, RegKey key)
{
    char text[sizeof gApp.installPath];
    uint32_t type = 0;
    uint32_t size = kPathRequestBytes;
    if (!registry->QueryValue(key, kPathValue, &type, text, &size))
        return;
    if (type != kRegSz || size > kPathRequestBytes)
        return;
    text[size] = '\0';
    memcpy(gApp.installPath, text, size + 1);
}

static void SetBoardConstants(ClockDomain* domain, const DomainConstants& constants)
{
    domain->floor = constants.floor;
    domain->defaultClock = constants.defaultClock;
    domain->defaultMax = constants.defaultMax;
    domain->ceiling = constants.ceiling;
    domain->min = constants.defaultClock - kInitialMinBelowDefault;
    domain->max = constants.defaultMax;
}

// A stored limit counts only on its own side of the default clock, so the
// default always stays inside the range. A maximum past the board's ceiling
// is the user's own choice and stands, as long as a slider can carry it. A
// minimum that an apply could not write is no clock at all.
static void TakeStoredLimits(Registry* registry, RegKey key, const char* minName,
                             const char* maxName, ClockDomain* domain)
{
    uint32_t value;
    if (ReadRegistryDword(registry, key, minName, &value) && value < domain->defaultClock &&
        value > kHighestUnwrittenClock)
        domain->min = value;
    if (ReadRegistryDword(registry, key, maxName, &value) && value > domain->defaultClock &&
        value <= kLargestSliderClock)
        domain->max = value;
}

static void WidenRangeTo(ClockDomain* domain, uint32_t mhz)
{
    if (mhz < domain->min)
        domain->min = mhz;
    if (mhz > domain->max)
        domain->max = mhz;
}

// Both sliders start at the clock the chip runs at, inside their range.
static void FollowLiveClock(ClockDomain* domain, uint32_t liveMHz)
{
    domain->applied = liveMHz;
    domain->selected = liveMHz;
    WidenRangeTo(domain, liveMHz);
}

// The clock to program for one domain at start: the stored boot clock when
// it differs from the live clock and lies within the limits the load has
// settled, else 0 (leave it alone). A record is no limit: it never widens
// the range, so a hand-edited or stale one is neither applied nor saved.
// Nobody confirms this write and nothing reverts it, so it also stays within
// the board's own floor..ceiling, which hand-edited limits may pass.
static uint32_t TakeStoredBootClock(ClockDomain* domain, uint32_t storedMHz)
{
    if (storedMHz == 0 || storedMHz == domain->applied)
        return 0;
    if (storedMHz < domain->min || storedMHz > domain->max)
        return 0;
    if (storedMHz < domain->floor || storedMHz > domain->ceiling)
        return 0;
    domain->selected = storedMHz;
    return storedMHz;
}

int LoadSettings()
{
    const BoardRow* row = BoardTableRow(gApp.boardKind);
    if (!row)
        return 1;  // no detected board: nothing to describe

    gApp.resetOnReboot = 1;
    gApp.resetOnRebootApplied = 1;
    SetBoardConstants(&gApp.gfx, row->gfx);
    SetBoardConstants(&gApp.mem, row->mem);

    const bool applyStored = gApp.applyStoredAtStart == 1;
    uint32_t storedGfx = 0;
    uint32_t storedMem = 0;

    Registry* registry = gApp.platform.registry;
    RegKey key;
    if (registry->OpenForRead(kSettingsKey, &key)) {
        ReadInstallPath(registry, key);

        uint32_t reboot;
        if (ReadRegistryDword(registry, key, kRebootValue, &reboot)) {
            gApp.resetOnReboot = reboot;
            gApp.resetOnRebootApplied = reboot;
        }

        // The limits belong to one board kind; another kind starts from its table row.
        uint32_t device = kNoStoredDevice;
        ReadRegistryDword(registry, key, kDeviceValue, &device);
        if (device == static_cast<uint32_t>(gApp.boardKind)) {
            TakeStoredLimits(registry, key, kGfxMinValue, kGfxMaxValue, &gApp.gfx);
            TakeStoredLimits(registry, key, kMemMinValue, kMemMaxValue, &gApp.mem);
            if (applyStored) {
                ReadRegistryDword(registry, key, kGfxBootValue, &storedGfx);
                ReadRegistryDword(registry, key, kMemBootValue, &storedMem);
            }
        }
        registry->Close(key);
    }

    FollowLiveClock(&gApp.gfx, ReadGfxClock());
    FollowLiveClock(&gApp.mem, ReadMemClock());

    // Start mode that sets the kept boot clocks again without the display
    // driver or the companion: once, then the flag is spent. It programs
    // what a boot restore would, and nothing else: the records count only
    // while the user keeps clocks across a reboot ("Reboot" stored as 0) and
    // the record for the next boot still says the same (a ticked box has
    // removed it, and clocks kept since are not the stored ones).
    if (applyStored) {
        gApp.applyStoredAtStart = 0;
        const bool keptAcrossReboot = gApp.resetOnReboot == 0 && BootRecordAgrees();
        uint32_t gfxMHz = keptAcrossReboot ? TakeStoredBootClock(&gApp.gfx, storedGfx) : 0;
        uint32_t memMHz = keptAcrossReboot ? TakeStoredBootClock(&gApp.mem, storedMem) : 0;
        ApplyClocks(gfxMHz, memMHz);
    }
    return 1;
}

int SaveSettings()
{
    Registry* registry = gApp.platform.registry;
    RegKey key;
    if (!registry->Create(kSettingsKey, &key))
        return 1;
    registry->SetDword(key, kDeviceValue, static_cast<uint32_t>(gApp.boardKind));
    registry->SetDword(key, kRebootValue, gApp.resetOnReboot);
    registry->SetDword(key, kGfxMinValue, gApp.gfx.min);
    registry->SetDword(key, kGfxMaxValue, gApp.gfx.max);
    registry->SetDword(key, kMemMinValue, gApp.mem.min);
    registry->SetDword(key, kMemMaxValue, gApp.mem.max);
    registry->Close(key);
    if (gApp.resetOnReboot != 0)
        ForgetBootClocks();
    return 1;
}
