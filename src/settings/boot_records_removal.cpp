#include "settings/boot_records_removal.h"

#include <string.h>

#include "app_state.h"
#include "platform/system_info.h"
#include "settings/companion_paths.h"
#include "settings/registry_keys.h"

// The Run entry and the paths compared with it: 255 characters and the NUL.
const uint32_t kPathBufferSize = 256;

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

// The spelling of a file that Windows resolves to one name: the canonical
// form of the whole path, or, for a file that is gone, that of its folder
// with the file name behind it. 0 when neither exists or it does not fit.
static int CanonicalFilePath(const char* path, char* canonical, uint32_t size)
{
    SystemInfo* system = gApp.platform.system;
    if (!system)
        return 0;
    if (system->GetCanonicalPath(path, canonical, size))
        return 1;
    const char* name = 0;
    for (const char* p = path; *p; ++p) {
        if (*p == '\\' || *p == '/')
            name = p + 1;
    }
    if (!name || !*name || strcmp(name, ".") == 0 || strcmp(name, "..") == 0)
        return 0;
    // The folder without the separators before the name, but a drive's root
    // keeps its own ("C:\").
    char folder[kPathBufferSize];
    uint32_t length = static_cast<uint32_t>(name - path);
    while (length > 1 && (path[length - 1] == '\\' || path[length - 1] == '/') && path[length - 2] != ':')
        --length;
    if (length >= sizeof folder)
        return 0;
    memcpy(folder, path, length);
    folder[length] = '\0';
    uint32_t folderLength = system->GetCanonicalPath(folder, canonical, size);
    if (!folderLength)
        return 0;
    const char* separator = canonical[folderLength - 1] == '\\' ? "" : "\\";
    if (folderLength + strlen(separator) + strlen(name) >= size)
        return 0;
    strcpy(canonical + folderLength, separator);
    strcat(canonical, name);
    return 1;
}

int SameFile(const char* a, const char* b)
{
    char canonicalA[kPathBufferSize], canonicalB[kPathBufferSize];
    if (CanonicalFilePath(a, canonicalA, sizeof canonicalA) && CanonicalFilePath(b, canonicalB, sizeof canonicalB))
        return SameFilePath(canonicalA, canonicalB);
    // A path that resolves to nothing here cannot be put in one form: the
    // texts decide.
    return SameFilePath(a, b);
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
    // As large as the store's own entry: the folder's 244 characters, the
    // file name and the NUL.
    char command[kPathBufferSize];
    uint32_t type = 0;
    uint32_t size = sizeof command;
    int found = registry->QueryValue(run, kRunValue, &type, command, &size);
    registry->Close(run);
    if (!found || type != kRegSz || size == 0)
        return;
    if (command[size - 1] != '\0') {
        if (size == sizeof command)
            return;  // longer than any entry the store writes
        command[size] = '\0';  // a text stored without its NUL ends here too
    }
    if (!SameFile(command, companionPath))
        return;
    if (registry->OpenForWrite(kRunKey, &run)) {
        registry->DeleteValue(run, kRunValue);
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
        registry->DeleteValue(key, kBootWordValue);
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
        gfxStored = ReadRegistryDword(registry, settings, kGfxBootValue, &mhz);
        memStored = ReadRegistryDword(registry, settings, kMemBootValue, &mhz);
        registry->Close(settings);
    }
    if (!gfxStored && !memStored)
        return;
    RegKey system;
    if (!registry->OpenForWrite(kRivaTntSystemKey, &system))
        return;
    if (gfxStored)
        registry->DeleteValue(system, kGfxBootValue);
    if (memStored)
        registry->DeleteValue(system, kMemBootValue);
    registry->Close(system);
}

void RemoveCompanionPair(const char* companionPath)
{
    Registry* registry = gApp.platform.registry;
    RemoveCompanionStart(registry, companionPath);
    RemoveCompanionRecord(registry);
}

int RemoveBootRecords(const char* companionPath)
{
    RemoveCompanionPair(companionPath);
    RemoveDriverWords(gApp.platform.registry);
    return 1;
}
