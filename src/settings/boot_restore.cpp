#include "settings/boot_restore.h"

#include "board/board_detect.h"
#include "clock/clock_programming.h"
#include "clock/pll_search.h"
#include "board/board_table.h"
#include "settings/boot_store.h"
#include "settings/boot_word.h"
#include "settings/companion_paths.h"
#include "settings/registry_keys.h"

namespace {

bool WithinBounds(uint32_t mhz, const DomainConstants& bounds)
{
    return mhz >= bounds.floor && mhz <= bounds.ceiling;
}

// A domain already at the kept clock is not touched: 0 tells ApplyClocks so.
uint32_t ClockToProgram(uint32_t keptMHz, uint32_t liveMHz)
{
    return keptMHz == liveMHz ? 0 : keptMHz;
}

bool SameClocks(const KeptClocks& a, const KeptClocks& b)
{
    return a.gfxMHz == b.gfxMHz && a.memMHz == b.memMHz;
}

}  // namespace

int DecodeKeptClocks(uint32_t word, uint32_t seed, uint16_t deviceId, BoardKind kind, KeptClocks* clocks)
{
    UnscrambleBootClocks(word, deviceId, seed, &clocks->gfxMHz, &clocks->memMHz);
    const BoardRow* row = BoardTableRow(kind);
    if (!row)
        return 0;
    return WithinBounds(clocks->gfxMHz, row->gfx) && WithinBounds(clocks->memMHz, row->mem);
}

// What Velkor's settings key says was kept for this board kind: its board
// kind in "Device", and "Gracie"/"George" where the store left them (the
// store deletes a clock equal to the default, so a missing one is the
// default). 0 while the user resets to the defaults on reboot: "Reboot"
// counts as set unless it is stored as 0, as the settings load takes it.
int ReadClocksKeptForBoard(BoardKind kind, KeptClocks* clocks)
{
    const BoardRow* row = BoardTableRow(kind);
    Registry* registry = gApp.platform.registry;
    RegKey key = 0;
    if (!row || !registry || !registry->OpenForRead(kSettingsKey, &key))
        return 0;
    uint32_t reboot = 1;
    uint32_t device = 0;
    ReadRegistryDword(registry, key, kRebootValue, &reboot);
    ReadRegistryDword(registry, key, kDeviceValue, &device);
    clocks->gfxMHz = row->gfx.defaultClock;
    clocks->memMHz = row->mem.defaultClock;
    ReadRegistryDword(registry, key, kGfxBootValue, &clocks->gfxMHz);
    ReadRegistryDword(registry, key, kMemBootValue, &clocks->memMHz);
    registry->Close(key);
    return reboot == 0 && device == static_cast<uint32_t>(kind);
}

int ReadKeptRecord(uint32_t* seed, uint32_t* word)
{
    Registry* registry = gApp.platform.registry;
    char path[256];
    RegKey key = 0;
    if (!registry || !GetCompanionRecordKey(path, sizeof path) || !registry->OpenForRead(path, &key))
        return 0;
    int taken = ReadRegistryDword(registry, key, kBootSeedValue, seed) && ReadRegistryDword(registry, key, kBootWordValue, word);
    registry->Close(key);
    return taken;
}

// The older driver's word for one domain says the same as the settings key's
// clock: none for the default (the store deletes it), else the clock's word.
static bool DriverWordAgrees(Registry* registry, RegKey key, const char* name, uint32_t mhz,
                             uint32_t defaultMHz, uint32_t domain)
{
    uint32_t word = 0;
    const bool present = ReadRegistryDword(registry, key, name, &word);
    if (mhz == defaultMHz)
        return !present;
    return present && word != 0 && word == ClockToPllWord(mhz, domain);
}

static bool DriverWordsAgree(const KeptClocks& settings, const BoardRow& row)
{
    Registry* registry = gApp.platform.registry;
    RegKey key = 0;
    if (!registry->OpenForRead(kRivaTntSystemKey, &key))
        return false;
    const bool agree = DriverWordAgrees(registry, key, kGfxBootValue, settings.gfxMHz, row.gfx.defaultClock, kGfxDomain) &&
                       DriverWordAgrees(registry, key, kMemBootValue, settings.memMHz, row.mem.defaultClock, kMemDomain);
    registry->Close(key);
    return agree;
}

int BootRecordAgrees()
{
    const BoardRow* row = BoardTableRow(gApp.boardKind);
    KeptClocks settings;
    if (!row || !gApp.platform.registry || !ReadClocksKeptForBoard(gApp.boardKind, &settings))
        return 0;
    if (gApp.driverBuild < kFirstCompanionDriverBuild)
        return DriverWordsAgree(settings, *row);
    uint32_t seed = 0;
    uint32_t word = 0;
    KeptClocks kept;
    return ReadKeptRecord(&seed, &word) && DecodeKeptClocks(word, seed, gApp.deviceId, gApp.boardKind, &kept) &&
           SameClocks(kept, settings);
}

RestoreOutcome RestoreKeptClocks()
{
    if (!DetectBoard()) {
        CloseBoardDriver();  // a driver that opened but refused the mapping
        return RestoreOutcome::NoBoard;
    }

    RestoreOutcome outcome = RestoreOutcome::Programmed;
    uint32_t seed = 0;
    uint32_t word = 0;
    KeptClocks kept;
    KeptClocks settings;
    if (!ReadKeptRecord(&seed, &word))
        outcome = RestoreOutcome::NoRecord;
    else if (!DecodeKeptClocks(word, seed, gApp.deviceId, gApp.boardKind, &kept) ||
             !ReadClocksKeptForBoard(gApp.boardKind, &settings) || !SameClocks(kept, settings))
        outcome = RestoreOutcome::Refused;
    else  // detection has just read the live clocks into baseline
        ApplyClocks(ClockToProgram(kept.gfxMHz, gApp.gfx.baseline), ClockToProgram(kept.memMHz, gApp.mem.baseline));

    CloseBoardDriver();
    return outcome;
}
