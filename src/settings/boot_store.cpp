#include "settings/boot_store.h"

#include <string.h>

#include "app_state.h"
#include "clock/pll_model.h"
#include "clock/pll_search.h"
#include "settings/boot_records_removal.h"
#include "settings/boot_word.h"
#include "settings/settings_store.h"

const char kRivaTntSystemKey[] = "SOFTWARE\\NVIDIA Corporation\\RIVA TNT\\System";
const char kFallbackDriverKey[] = "SOFTWARE\\NVIDIA Corporation\\RIVA TNT";
const char kDriverTweakSubkey[] = "\\NVTweak\\Hardware";
const char kRunKey[] = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Run";
const char kCompanionFileName[] = "\\Arbolt.exe";

// The driver's key text starts after a 4-byte header of the escape's answer.
static const uint32_t kDriverKeyTextOffset = 4;
static_assert(kDriverKeyEscapeBytes - kDriverKeyTextOffset <= sizeof(AppState::driverKey),
              "any terminated answer fits the key buffer");

// first + second into out when both fit with their NUL; otherwise out is
// left empty and 0 comes back, so a cut-off path or command is never used.
// first is looked at no further than outSize bytes: a text that long never fits.
static int JoinText(char* out, uint32_t outSize, const char* first, const char* second)
{
    const char* firstEnd = static_cast<const char*>(memchr(first, '\0', outSize));
    size_t firstLength = firstEnd ? static_cast<size_t>(firstEnd - first) : outSize;
    size_t secondLength = strlen(second);
    if (firstLength + secondLength + 1 > outSize) {
        out[0] = '\0';
        return 0;
    }
    memcpy(out, first, firstLength);
    memcpy(out + firstLength, second, secondLength + 1);
    return 1;
}

static void SetFixedDriverKey()
{
    memcpy(gApp.driverKey, kFallbackDriverKey, sizeof kFallbackDriverKey);
}

const char* GetDisplayDriverKey()
{
    if (gApp.driverKeyAsked)
        return gApp.driverKey;
    gApp.driverKeyAsked = 1;  // before asking: a failed request is not repeated this run

    char answer[kDriverKeyEscapeBytes];
    memset(answer, 0, sizeof answer);
    int result = gApp.platform.display->QueryDriverKey(answer);

    // Take the text only when it ends inside the answer and names a key; an
    // unterminated or empty answer is treated like a failed escape.
    const char* text = answer + kDriverKeyTextOffset;
    const uint32_t room = kDriverKeyEscapeBytes - kDriverKeyTextOffset;
    const char* end = result > 0 ? static_cast<const char*>(memchr(text, '\0', room)) : nullptr;
    if (end && end != text)
        memcpy(gApp.driverKey, text, static_cast<size_t>(end - text) + 1);
    else
        SetFixedDriverKey();
    return gApp.driverKey;
}

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

static void StoreForOlderDriver(Registry* registry)
{
    RegKey key;
    if (registry->Create(kRivaTntSystemKey, &key)) {
        RecordBootPllWord(registry, key, "Gracie", &gApp.gfx, kGfxDomain);
        RecordBootPllWord(registry, key, "George", &gApp.mem, kMemDomain);
        registry->Close(key);
    }
    gApp.gfx.pendingBoot = 0;
    gApp.mem.pendingBoot = 0;
}

// The companion's record and the entry that starts it go together: a word
// without its start is never read, and a start with a stale word sets clocks
// the user no longer keeps. The driver's key is closed here when open.
static void RemoveCompanionRecords(Registry* registry, RegKey key, bool keyOpen)
{
    if (keyOpen) {
        registry->DeleteValue(key, "Krusty");
        registry->Close(key);
    }
    RegKey run;
    if (registry->OpenForWrite(kRunKey, &run)) {
        registry->DeleteValue(run, "NvInitialize");
        registry->Close(run);
    }
}

int GetCompanionRecordKey(char* path, uint32_t size)
{
    return JoinText(path, size, GetDisplayDriverKey(), kDriverTweakSubkey);
}

// The companion beside the running program, when "Path" gives none: its
// full path in short form, which also shows that the file is there. A name
// without blanks needs no quotes in the log-on entry.
static int CompanionBesideProgram(char* command, uint32_t size)
{
    command[0] = '\0';
    SystemInfo* system = gApp.platform.system;
    char program[256];
    if (!system || !system->GetProgramPath(program, sizeof program))
        return 0;
    char* lastSlash = nullptr;
    for (char* c = program; *c != '\0'; ++c)
        if (*c == '\\')
            lastSlash = c;
    if (!lastSlash)
        return 0;
    lastSlash[0] = '\0';  // the folder; kCompanionFileName brings the separator back
    char companion[256];
    if (!JoinText(companion, sizeof companion, program, kCompanionFileName))
        return 0;
    if (system->GetCanonicalPath(companion, command, size) == 0) {
        command[0] = '\0';  // not there (or no room): nothing to name
        return 0;
    }
    return 1;
}

int GetCompanionCommand(char* command, uint32_t size)
{
    // A usable "Path" is the installer's word and is taken as it is.
    if (gApp.installPath[0] != '\0' && JoinText(command, size, gApp.installPath, kCompanionFileName))
        return 1;
    return CompanionBesideProgram(command, size);
}

int ForgetBootClocks()
{
    gApp.gfx.pendingBoot = 0;
    gApp.mem.pendingBoot = 0;
    char command[256];
    GetCompanionCommand(command, sizeof command);  // empty when unknown: no Run entry is taken
    return RemoveBootRecords(command);
}

static void StoreForCompanion(Registry* registry)
{
    // A key path that does not fit is a key that cannot be opened: the writes
    // meant for it are skipped, the rest of the store still runs.
    char path[256];
    RegKey key = 0;
    bool keyOpen = GetCompanionRecordKey(path, sizeof path) && registry->Create(path, &key);

    // The seed is made once and reused, so equal clocks give an equal word.
    uint32_t seed = 0;
    if (!keyOpen || !ReadRegistryDword(registry, key, "Homer", &seed)) {
        seed = gApp.platform.ticks->GetTickCount();
        if (keyOpen)
            registry->SetDword(key, "Homer", seed);
    }

    // Here a domain without a pending clock stands for its default.
    uint32_t gfxMHz = gApp.gfx.pendingBoot ? gApp.gfx.pendingBoot : gApp.gfx.defaultClock;
    uint32_t memMHz = gApp.mem.pendingBoot ? gApp.mem.pendingBoot : gApp.mem.defaultClock;
    gApp.gfx.pendingBoot = 0;
    gApp.mem.pendingBoot = 0;

    // Nothing to restore, or no way to write both halves of the pair (a
    // cut-off command line would start the wrong file): the board boots at
    // its defaults rather than at clocks from an earlier store.
    char command[256];
    const bool atDefaults = gfxMHz == gApp.gfx.defaultClock && memMHz == gApp.mem.defaultClock;
    if (atDefaults || !keyOpen || !GetCompanionCommand(command, sizeof command)) {
        RemoveCompanionRecords(registry, key, keyOpen);
        return;
    }

    RegKey run;
    if (!registry->Create(kRunKey, &run)) {
        RemoveCompanionRecords(registry, key, keyOpen);
        return;
    }
    registry->SetDword(key, "Krusty", ScrambleBootClocks(gfxMHz, memMHz, gApp.deviceId, seed));
    registry->Close(key);
    registry->SetString(run, "NvInitialize", command);
    registry->Close(run);
}

int StoreBootClocks()
{
    Registry* registry = gApp.platform.registry;
    RegKey key;
    if (registry->Create(kSettingsKey, &key)) {
        RecordBootMHz(registry, key, "Gracie", gApp.gfx);
        RecordBootMHz(registry, key, "George", gApp.mem);
        registry->Close(key);
    }

    gApp.gfx.baseline = ReadGfxClock();
    gApp.mem.baseline = ReadMemClock();

    if (gApp.driverBuild < kFirstCompanionDriverBuild)
        StoreForOlderDriver(registry);
    else
        StoreForCompanion(registry);
    return 1;
}
