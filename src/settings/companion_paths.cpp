#include "settings/companion_paths.h"

#include <string.h>

#include "app_state.h"
#include "settings/registry_keys.h"

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
    memcpy(gApp.driverKey, kFallbackDriverKey, strlen(kFallbackDriverKey) + 1);
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

int GetCompanionRecordKey(char* path, uint32_t size)
{
    return JoinText(path, size, GetDisplayDriverKey(), kDriverTweakSubkey);
}

// folder + "\Arbolt.exe" in short form when that file is there; the short
// form also proves it is.
static int CompanionIn(const char* folder, char* command, uint32_t size)
{
    command[0] = '\0';
    SystemInfo* system = gApp.platform.system;
    char companion[256];
    if (!system || !JoinText(companion, sizeof companion, folder, kCompanionFileName))
        return 0;
    if (system->GetCanonicalPath(companion, command, size) == 0) {
        command[0] = '\0';  // not there (or no room): nothing to name
        return 0;
    }
    return 1;
}

// "Path" as a folder: without quotes (no file name holds one) and without
// the backslashes at its end, which the file name brings back.
static void FolderOfInstallPath(char* folder, uint32_t size)
{
    uint32_t length = 0;
    for (const char* c = gApp.installPath; *c != '\0' && length + 1 < size; ++c) {
        if (*c != '"')
            folder[length++] = *c;
    }
    while (length > 0 && folder[length - 1] == '\\')
        --length;
    folder[length] = '\0';
}

// The companion beside the running program, when "Path" gives none.
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
    return CompanionIn(program, command, size);
}

int GetCompanionCommand(char* command, uint32_t size)
{
    // "Path" is the installer's word, but only as good as the file it leads to.
    char folder[sizeof gApp.installPath];
    FolderOfInstallPath(folder, sizeof folder);
    if (folder[0] != '\0' && CompanionIn(folder, command, size))
        return 1;
    return CompanionBesideProgram(command, size);
}
