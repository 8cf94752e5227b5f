#include "settings/boot_store.h"

#include <string.h>

#include "app_state.h"
#include "board/chip_registers.h"
#include "clock/pll_search.h"
#include "settings/boot_records_removal.h"
#include "settings/boot_word.h"

// One domain in the settings key: the default clock needs no record.
static void RecordBootMHz(Registry* registry, RegKey key, const char* name,
                          const ClockDomain& domain)
{
    if (domain.pendingBoot == 0)
        return;
    if (domain.pendingBoot == domain.defaultClock)
        registry->DeleteValue(key, name);
    else
        registry->SetDword(key, name, domain.pendingBoot);
}

// One domain for the older display driver, as the PLL word it programs at
// boot. A clock the search cannot express has no word: its record goes, so
// the driver boots at its default instead of a stale clock or the word 0.
static void RecordBootPllWord(Registry* registry, RegKey key, const char* name,
                              ClockDomain* domain, uint32_t clockDomain)
{
    if (domain->pendingBoot == 0)
        return;
    uint32_t word = 0;
    if (domain->pendingBoot != domain->defaultClock)
        word = ClockToPllWord(domain->pendingBoot, clockDomain);
    if (word != 0)
        registry->SetDword(key, name, word);
    else
        registry->DeleteValue(key, name);
}

// A clock that needs a word of its own, not just the driver's default.
static bool NeedsWord(const ClockDomain& domain)
{
    return domain.pendingBoot != 0 && domain.pendingBoot != domain.defaultClock;
}

static void StoreForOlderDriver(Registry* registry)
{
    // The driver's key is made only for a word to write: deleting needs none.
    const bool write = NeedsWord(gApp.gfx) || NeedsWord(gApp.mem);
    RegKey key;
    if (write ? registry->Create(kRivaTntSystemKey, &key) : registry->OpenForWrite(kRivaTntSystemKey, &key)) {
        RecordBootPllWord(registry, key, kGfxBootValue, &gApp.gfx, kGfxDomain);
        RecordBootPllWord(registry, key, kMemBootValue, &gApp.mem, kMemDomain);
        registry->Close(key);
    }
    gApp.gfx.pendingBoot = 0;
    gApp.mem.pendingBoot = 0;
}

int ForgetBootClocks()
{
    gApp.gfx.pendingBoot = 0;
    gApp.mem.pendingBoot = 0;
    char command[256];
    GetCompanionCommand(command, sizeof command);  // empty when unknown: no Run entry is taken
    return RemoveBootRecords(command);
}

// The companion's record and the entry that starts it go together: a word
// without its start is never read, and a start with a stale word sets clocks
// the user no longer keeps. The entry goes only when it starts this
// companion, as the uninstaller has it: another program's stays.
static void DropCompanionPair()
{
    char command[256];
    GetCompanionCommand(command, sizeof command);  // empty when unknown: no Run entry is taken
    RemoveCompanionPair(command);
}

static void StoreForCompanion(Registry* registry)
{
    // Here a domain without a pending clock stands for its default.
    uint32_t gfxMHz = gApp.gfx.pendingBoot ? gApp.gfx.pendingBoot : gApp.gfx.defaultClock;
    uint32_t memMHz = gApp.mem.pendingBoot ? gApp.mem.pendingBoot : gApp.mem.defaultClock;
    gApp.gfx.pendingBoot = 0;
    gApp.mem.pendingBoot = 0;

    // Nothing to restore: the board boots at its defaults rather than at
    // clocks from an earlier store. No key is made for that.
    if (gfxMHz == gApp.gfx.defaultClock && memMHz == gApp.mem.defaultClock) {
        DropCompanionPair();
        return;
    }

    // No way to write both halves of the pair (a key path that does not fit,
    // a companion that is not there): the earlier pair goes instead.
    char path[256];
    char command[256];
    RegKey key = 0;
    if (!GetCompanionRecordKey(path, sizeof path) || !GetCompanionCommand(command, sizeof command) ||
        !registry->Create(path, &key)) {
        DropCompanionPair();
        return;
    }

    // The seed is made once and reused, so equal clocks give an equal word.
    uint32_t seed = 0;
    if (!ReadRegistryDword(registry, key, kBootSeedValue, &seed)) {
        seed = gApp.platform.ticks->GetTickCount();
        registry->SetDword(key, kBootSeedValue, seed);
    }

    RegKey run;
    if (!registry->Create(kRunKey, &run)) {
        registry->Close(key);
        DropCompanionPair();
        return;
    }
    registry->SetDword(key, kBootWordValue, ScrambleBootClocks(gfxMHz, memMHz, gApp.deviceId, seed));
    registry->Close(key);
    registry->SetString(run, kRunValue, command);
    registry->Close(run);
}

int StoreBootClocks()
{
    gApp.gfx.baseline = ReadGfxClock();
    gApp.mem.baseline = ReadMemClock();
    // A timer with nothing kept (a stray message, or a store that already
    // ran) has nothing to record and nothing to remove.
    if (gApp.gfx.pendingBoot == 0 && gApp.mem.pendingBoot == 0)
        return 1;

    Registry* registry = gApp.platform.registry;
    RegKey key;
    if (registry->Create(kSettingsKey, &key)) {
        RecordBootMHz(registry, key, kGfxBootValue, gApp.gfx);
        RecordBootMHz(registry, key, kMemBootValue, gApp.mem);
        registry->Close(key);
    }

    if (gApp.driverBuild < kFirstCompanionDriverBuild)
        StoreForOlderDriver(registry);
    else
        StoreForCompanion(registry);
    return 1;
}
