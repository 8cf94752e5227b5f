#include "settings/boot_records_removal.h"

#include <string.h>

#include "app_state.h"
#include "settings/boot_store.h"
#include "settings/settings_store.h"

static char LowerAscii(char c)
{
    return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
}

int SameFilePath(const char* a, const char* b)
{
    for (;; ++a, ++b) {
        if (LowerAscii(*a) != LowerAscii(*b))
            return 0;
        if (*a == '\0')
            return 1;
    }
}

// The log-on entry goes only when it starts the companion being removed: an
// entry of another installation, or of something else, is not Velkor's to take.
static void RemoveCompanionStart(Registry* registry, const char* companionPath)
{
    if (!companionPath || !companionPath[0])
        return;  // no companion known: nothing can be told to be ours
    RegKey run;
    if (!registry->OpenForRead(kRunKey, &run))
        return;
    char command[256];
    uint32_t type = 0;
    uint32_t size = sizeof command - 1;
    int found = registry->QueryValue(run, "NvInitialize", &type, command, &size);
    registry->Close(run);
    if (!found || type != kRegSz)
        return;
    command[size] = '\0';  // a text stored without its NUL ends here too
    if (!SameFilePath(command, companionPath))
        return;
    if (registry->OpenForWrite(kRunKey, &run)) {
        registry->DeleteValue(run, "NvInitialize");
        registry->Close(run);
    }
}

// "Krusty" sits where the store put it: the key the display driver names, or
// the fixed key when it names none. The seed "Homer" stays, as the store
// itself never deletes it.
static void RemoveCompanionRecord(Registry* registry)
{
    char path[256];
    RegKey key;
    // A path that does not fit is one the store could not have written to.
    if (GetCompanionRecordKey(path, sizeof path) && registry->OpenForWrite(path, &key)) {
        registry->DeleteValue(key, "Krusty");
        registry->Close(key);
    }
}

// The older driver's words count as Velkor's only while the settings key
// shows that a store wrote them: every store that writes a word writes the
// MHz value beside it, and without that value a word cannot be told from one
// that something else put there.
static void RemoveDriverWords(Registry* registry)
{
    int gfxStored = 0, memStored = 0;
    RegKey settings;
    if (registry->OpenForRead(kSettingsKey, &settings)) {
        uint32_t mhz = 0;
        gfxStored = ReadRegistryDword(registry, settings, "Gracie", &mhz);
        memStored = ReadRegistryDword(registry, settings, "George", &mhz);
        registry->Close(settings);
    }
    if (!gfxStored && !memStored)
        return;
    RegKey system;
    if (!registry->OpenForWrite(kRivaTntSystemKey, &system))
        return;
    if (gfxStored)
        registry->DeleteValue(system, "Gracie");
    if (memStored)
        registry->DeleteValue(system, "George");
    registry->Close(system);
}

int RemoveBootRecords(const char* companionPath)
{
    Registry* registry = gApp.platform.registry;
    RemoveCompanionStart(registry, companionPath);
    RemoveCompanionRecord(registry);
    RemoveDriverWords(registry);
    return 1;
}
